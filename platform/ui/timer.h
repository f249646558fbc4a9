#pragma once
// A timer on the UI thread's message loop, as forms use it: an interval in milliseconds and an
// enabled flag. While enabled with an interval above 0 it fires every interval, on the owner
// thread, when the loop runs (doEvents, runUntil). Setting the interval or enabling restarts the
// countdown. A late loop fires a timer once, not once per missed interval; a timer does not fire
// again while its own handler is still running (a handler may run a nested modal loop).
#include <functional>

#include "platform/ui/clock.h"

namespace platform::ui {

class MessageLoop;

class Timer {
 public:
  explicit Timer(MessageLoop& loop);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  int interval() const { return intervalMs_; }
  void setInterval(int milliseconds);  // negative counts as 0 (never fires)
  bool enabled() const { return enabled_; }
  void setEnabled(bool on);

  std::function<void()> onTimer;

 private:
  friend class MessageLoop;
  void restart();
  bool due(Clock::TimePoint now) const;
  void fire();

  MessageLoop& loop_;
  int intervalMs_ = 0;
  bool enabled_ = false;
  bool firing_ = false;
  bool* alive_ = nullptr;  // set while the handler runs; cleared by the destructor
  Clock::TimePoint dueAt_{};
};

}  // namespace platform::ui
