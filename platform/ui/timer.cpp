#include "platform/ui/timer.h"

#include <algorithm>
#include <chrono>

#include "platform/ui/message_loop.h"

namespace platform::ui {

Timer::Timer(MessageLoop& loop) : loop_(loop) {
  loop_.addTimer(this);
}

Timer::~Timer() {
  if (alive_) *alive_ = false;
  loop_.removeTimer(this);
}

void Timer::setInterval(int milliseconds) {
  intervalMs_ = std::max(0, milliseconds);
  restart();
}

void Timer::setEnabled(bool on) {
  if (on && !enabled_) restart();
  enabled_ = on;
}

void Timer::restart() {
  dueAt_ = loop_.clock().now() + std::chrono::milliseconds(intervalMs_);
}

bool Timer::due(Clock::TimePoint now) const {
  return enabled_ && intervalMs_ > 0 && !firing_ && now >= dueAt_;
}

void Timer::fire() {
  restart();
  if (!onTimer) return;
  auto handler = onTimer;  // the handler may replace onTimer or destroy the timer
  bool alive = true;
  alive_ = &alive;
  firing_ = true;
  handler();
  if (!alive) return;
  alive_ = nullptr;
  firing_ = false;
}

}  // namespace platform::ui
