#pragma once
// The add-in's "window" for the control: event deliveries from the control's receive thread are
// posted to the UI thread's message loop and run when the loop runs.
#include <functional>

#include "platform/com/owner_dispatcher.h"
#include "platform/ui/message_loop.h"

namespace ringova {

class LoopDispatcher final : public platform::OwnerDispatcher {
 public:
  explicit LoopDispatcher(platform::ui::MessageLoop& loop) : loop_(loop) {}
  bool post(std::function<void()> task) override { return loop_.post(std::move(task)); }

 private:
  platform::ui::MessageLoop& loop_;
};

}  // namespace ringova
