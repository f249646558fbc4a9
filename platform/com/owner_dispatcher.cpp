#include "platform/com/owner_dispatcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <memory>

namespace platform {

PollableDispatcher::PollableDispatcher()
    : owner_(std::this_thread::get_id()), wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

PollableDispatcher::~PollableDispatcher() {
  shutdown();
  if (wakeFd_ >= 0) close(wakeFd_);
}

void PollableDispatcher::drainWake() {
  if (wakeFd_ < 0) return;
  std::uint64_t count = 0;
  [[maybe_unused]] ssize_t n = read(wakeFd_, &count, sizeof count);
}

bool PollableDispatcher::post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    if (shutDown_) return false;
    tasks_.push_back(std::move(task));
  }
  if (wakeFd_ >= 0) {
    const std::uint64_t one = 1;
    // Fails only when the counter is saturated, and then the descriptor is readable anyway.
    [[maybe_unused]] ssize_t n = write(wakeFd_, &one, sizeof one);
  }
  return true;
}

bool PollableDispatcher::send(std::function<void()> task) {
  if (onOwnerThread()) {
    task();
    return true;
  }
  // The flag lives in the task, so a task dropped at shutdown tells its waiting sender.
  struct Done {
    std::mutex* mutex;
    std::condition_variable* cv;
    bool ran = false;
    bool gone = false;
  };
  auto done = std::make_shared<Done>(Done{&mutex_, &ran_});
  struct Guard {
    std::shared_ptr<Done> done;
    ~Guard() {
      if (!done) return;
      std::lock_guard lock(*done->mutex);
      done->gone = true;
      done->cv->notify_all();
    }
  };
  auto guard = std::make_shared<Guard>();  // made in place: a copy would signal as it dies
  guard->done = done;
  bool posted = post([task = std::move(task), guard]() mutable {
    task();
    std::lock_guard lock(*guard->done->mutex);
    guard->done->ran = true;
  });
  if (!posted) {
    guard->done.reset();
    return false;
  }
  guard.reset();
  std::unique_lock lock(mutex_);
  ran_.wait(lock, [&] { return done->gone; });
  return done->ran;
}

std::size_t PollableDispatcher::pump() {
  drainWake();
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard lock(mutex_);
    batch.swap(tasks_);
  }
  std::size_t count = 0;
  while (!batch.empty()) {
    std::function<void()> task = std::move(batch.front());
    batch.pop_front();
    task();
    task = nullptr;  // a send's waiter is released once its task is gone
    ++count;
  }
  return count;
}

std::size_t PollableDispatcher::pumpFor(std::chrono::milliseconds limit) {
  bool waiting = false;
  {
    std::lock_guard lock(mutex_);
    waiting = !tasks_.empty();
  }
  if (!waiting && fd() >= 0) {
    pollfd p{fd(), POLLIN, 0};
    poll(&p, 1, static_cast<int>(limit.count()));
  }
  return pump();
}

void PollableDispatcher::shutdown() {
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard lock(mutex_);
    shutDown_ = true;
    dropped.swap(tasks_);
  }
  dropped.clear();  // outside the lock: dropping a send's task takes it
}

}  // namespace platform
