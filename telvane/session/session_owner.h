#pragma once
// The side a PbxSession reports to: the control that created it.

#include <span>

#include "telvane/session/notifications.h"

namespace telvane {

// Asked on the owner's side just before each notification of a batch runs: the session may have
// stopped wanting it (the host logged out in an earlier handler of the same batch).
class DeliveryGate {
 public:
  virtual bool admits(const Notification& notification) const = 0;

 protected:
  ~DeliveryGate() = default;
};

class SessionOwner {
 public:
  virtual ~SessionOwner() = default;

  // Runs `notification` on the owner's side (the host's thread) and returns once it has run.
  // Called on the session's receive thread, with no lock of the session held; the session does
  // nothing else meanwhile. It must return even while the owner's thread is blocked in a call of
  // the session (a synchronous request, Disconnect, the destructor): a synchronous request
  // called from the owner's thread then waits for its limit, and once the owner is being torn
  // down (canReceive() false) a pending deliver should drop the notification and return at once.
  virtual void deliver(const Notification& notification) = 0;

  // As deliver, for the notifications of one read, in order, in one hand-off: returns once the
  // last has run. Before each, canReceive() and `gate` are asked; one that either refuses is
  // dropped. The owner may move from the notifications. `gate` is the session: an owner that
  // keeps notifications for later must drop them before the session goes.
  virtual void deliverAll(std::span<Notification> batch, const DeliveryGate& gate) {
    for (const Notification& notification : batch) {
      if (canReceive() && gate.admits(notification)) deliver(notification);
    }
  }

  // deliverAll in two steps, so that the session can go back to its wait while the handlers run:
  // startDelivery hands the batch over and may return before it has run; finishDelivery returns
  // once it has (or once deliver would have let go). The session calls finishDelivery before it
  // does anything else, so nothing happens meanwhile. By default the first step is all of it.
  virtual void startDelivery(std::span<Notification> batch, const DeliveryGate& gate) {
    deliverAll(batch, gate);
  }
  virtual void finishDelivery() {}

  // Whether the owner can still receive notifications (its window exists). Asked on the receive
  // thread before every notification; when false the notification is dropped.
  virtual bool canReceive() const = 0;
};

}  // namespace telvane
