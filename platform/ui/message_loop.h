#pragma once
// The message loop of the one user-interface thread.
//
// The thread that constructs the loop owns it; everything that touches forms, controls and timers
// runs on that thread. Other threads reach it through post() (queue a task and go on) or send()
// (queue a task and wait until it has run, getting its result), which is how a background thread
// raises an event on the UI thread.
//
// The owner thread runs the loop in one of three ways:
//   doEvents()        let the loop run once: the tasks queued so far and the timers due now;
//   runUntil(done)    a nested loop that runs tasks and timers until done() is true (a modal
//                     window runs one until it is hidden; loops nest to any depth);
//   run()             runUntil(quit() was called).
// While a loop has nothing to do it sleeps until a task is posted or (real clock) the next timer is
// due. With a manual clock it does not sleep on timers: advancing the clock from another thread
// takes a post() to wake the loop.
//
// shutdown() (also run by the destructor) refuses further tasks; senders still waiting get
// no result instead of blocking forever.
//
// The loop must outlive its timers, its toolkit and their forms.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <vector>

#include "platform/ui/clock.h"

namespace platform::ui {

class Timer;

// An outside source of events the loop serves as well (a window system): while any loop runs,
// and in every doEvents, its pending events are handled, and its wait replaces the loop's own
// sleep so that both kinds of work wake it.
class EventPump {
 public:
  virtual ~EventPump() = default;
  // Owner thread: handles what is pending now, without waiting.
  virtual void processPending() = 0;
  // Owner thread: sleeps until wake(), an event of its own or the deadline (none: no limit).
  virtual void wait(std::optional<std::chrono::steady_clock::time_point> deadline) = 0;
  // Any thread: ends a wait, or makes the next one return at once.
  virtual void wake() = 0;
};

class MessageLoop {
 public:
  explicit MessageLoop(Clock& clock);
  ~MessageLoop();
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  Clock& clock() const { return clock_; }
  bool onOwnerThread() const { return std::this_thread::get_id() == owner_; }

  // Any thread. False once the loop has shut down (the task is dropped).
  bool post(std::function<void()> task);

  // Any thread. Runs `task` on the owner thread and waits for it; on the owner thread it runs at
  // once. False if the loop shut down before the task ran.
  bool sendTask(std::function<void()> task);

  // The same, returning the task's result (std::nullopt when it did not run).
  template <class F, class R = std::invoke_result_t<F&>>
  requires(!std::is_void_v<R>) std::optional<R> send(F task) {
    std::optional<R> result;
    if (!sendTask([&] { result.emplace(task()); })) return std::nullopt;
    return result;
  }

  // Owner thread only.
  void doEvents();
  void runUntil(const std::function<bool()>& done);
  void run();
  void quit();  // ends run(); any thread

  // Called by runUntil when nothing is queued and no timer is due, before it sleeps; returns
  // true when it did something (the loop then checks `done` again instead of sleeping). The test
  // driver answers modal windows through it.
  void setIdleHandler(std::function<bool()> handler) { idleHandler_ = std::move(handler); }

  // Owner thread; null removes it. The pump must outlive its use here.
  void setPump(EventPump* pump);

  void shutdown();
  int depth() const { return depth_; }  // nesting depth of runUntil, 0 outside any loop
  // Owner thread: timers that exist, and those of them enabled (what leaks and what still fires).
  std::size_t timerCount() const { return timers_.size(); }
  std::size_t enabledTimerCount() const;

 private:
  friend class Timer;
  void addTimer(Timer* t);
  void removeTimer(Timer* t);
  bool runOneTask();     // false if the queue was empty
  bool fireDueTimers();  // true if a timer fired
  std::optional<Clock::TimePoint> nextDue() const;
  void wait(const std::function<bool()>& done);

  Clock& clock_;
  std::thread::id owner_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;  // guarded by mutex_
  bool shutDown_ = false;                    // guarded by mutex_
  bool quitRequested_ = false;               // guarded by mutex_
  std::vector<Timer*> timers_;               // owner thread only
  std::function<bool()> idleHandler_;
  int depth_ = 0;
  std::atomic<EventPump*> pump_{nullptr};
  std::chrono::steady_clock::time_point lastPump_{};
};

}  // namespace platform::ui
