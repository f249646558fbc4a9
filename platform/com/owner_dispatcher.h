#pragma once
// An object's "window": the way work from other threads reaches the thread that owns it.
//
// A host creates an automation object on its thread and gives it an OwnerDispatcher
// (AutomationObject::setDispatcher); the object posts its event deliveries there and the host
// runs them by pumping the dispatcher. A dispatcher must outlive the objects it was given to, or
// be taken back first (setDispatcher(nullptr)).
//
// PollableDispatcher is the one for hosts with their own wait: its file descriptor is readable
// while tasks are waiting, so a host can poll it together with its other inputs (telvane shell
// waits on stdin and on events at once) and call pump() when it is ready. Hosts with a message
// loop of their own implement OwnerDispatcher on top of it (post() must queue, never run the
// task inline).
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

class OwnerDispatcher {
 public:
  virtual ~OwnerDispatcher() = default;
  // Any thread: queues `task` to run on the owner thread and returns at once. False once the
  // dispatcher has shut down (the task is dropped).
  virtual bool post(std::function<void()> task) = 0;
};

class PollableDispatcher : public OwnerDispatcher {
 public:
  // The calling thread becomes the owner thread.
  PollableDispatcher();
  ~PollableDispatcher() override;  // shuts down
  PollableDispatcher(const PollableDispatcher&) = delete;
  PollableDispatcher& operator=(const PollableDispatcher&) = delete;

  bool post(std::function<void()> task) override;

  // Any thread: runs `task` on the owner thread and waits until it has run; on the owner thread
  // it runs at once. False when the dispatcher shut down before the task ran.
  bool send(std::function<void()> task);

  // Readable while tasks are waiting; -1 if the system gave no descriptor (then hosts must
  // pump on a timer).
  int fd() const { return wakeFd_; }

  // Owner thread: runs the tasks queued so far (not the ones they queue); returns how many.
  std::size_t pump();
  // Owner thread: waits up to `limit` for a task, then pumps. Returns how many ran.
  std::size_t pumpFor(std::chrono::milliseconds limit);

  // Refuses further tasks and drops the waiting ones; senders still waiting return false.
  void shutdown();

  bool onOwnerThread() const { return std::this_thread::get_id() == owner_; }

 private:
  void drainWake();

  std::thread::id owner_;
  int wakeFd_;  // an eventfd, readable while signalled
  std::mutex mutex_;
  std::condition_variable ran_;
  std::deque<std::function<void()>> tasks_;  // guarded by mutex_
  bool shutDown_ = false;                    // guarded by mutex_
};

}  // namespace platform
