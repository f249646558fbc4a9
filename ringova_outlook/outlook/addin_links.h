#pragma once
// What the add-in's buttons need from the call flow, as one small interface the call-flow part
// implements. Without it Make only asks whom to call.
namespace ringova {

class CallFlow {
 public:
  virtual ~CallFlow() = default;
  // Finds whom to call (the add-in's GetSelectedItems) and places the call.
  virtual void MakeCall() = 0;
  virtual void CloseCurrentCall() = 0;
  // The first leg of the outgoing call is idle.
  virtual bool FirstLegIdle() const = 0;
};

}  // namespace ringova
