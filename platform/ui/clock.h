#pragma once
// Where the user-interface thread gets its time. Timers and time-outs read `now()` only, so a test
// can replace the real clock by a manual one and let 20 seconds pass in a microsecond.
#include <atomic>
#include <chrono>

namespace platform::ui {

class Clock {
 public:
  using Duration = std::chrono::steady_clock::duration;
  using TimePoint = std::chrono::steady_clock::time_point;

  virtual ~Clock() = default;
  virtual TimePoint now() const = 0;
  // True when time passes on its own; a loop may then sleep until the next timer is due.
  // A manual clock only moves when told to, so a loop waits for posted work instead.
  virtual bool passesByItself() const = 0;
};

class RealClock final : public Clock {
 public:
  TimePoint now() const override { return std::chrono::steady_clock::now(); }
  bool passesByItself() const override { return true; }
};

// Starts at an arbitrary fixed point and moves only through advance(). Thread-safe to read and
// advance. After advancing, the loop fires due timers the next time it runs (doEvents, runUntil).
class ManualClock final : public Clock {
 public:
  TimePoint now() const override { return TimePoint(Duration(ticks_.load())); }
  bool passesByItself() const override { return false; }
  void advance(Duration d) { ticks_.fetch_add(d.count()); }

 private:
  std::atomic<Duration::rep> ticks_{Duration(std::chrono::hours(1)).count()};
};

}  // namespace platform::ui
