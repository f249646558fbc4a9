#include "platform/ui/message_loop.h"

#include <algorithm>

#include "platform/ui/timer.h"

namespace platform::ui {
namespace {

// Lets a sender wait for its task. The notice is given when the task's wrapper is destroyed:
// after it ran, or when a shut-down loop drops it unrun.
struct SendState {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  bool ran = false;
};

class SendNotice {
 public:
  explicit SendNotice(std::shared_ptr<SendState> state) : state_(std::move(state)) {}
  ~SendNotice() {
    std::lock_guard lock(state_->mutex);
    state_->finished = true;
    state_->ran = ran_;
    state_->done.notify_all();
  }
  SendNotice(const SendNotice&) = delete;
  SendNotice& operator=(const SendNotice&) = delete;
  void ran() { ran_ = true; }

 private:
  std::shared_ptr<SendState> state_;
  bool ran_ = false;
};

}  // namespace

MessageLoop::MessageLoop(Clock& clock) : clock_(clock), owner_(std::this_thread::get_id()) {}

MessageLoop::~MessageLoop() {
  shutdown();
}

bool MessageLoop::post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    if (shutDown_) return false;
    tasks_.push_back(std::move(task));
  }
  wake_.notify_all();
  if (EventPump* pump = pump_.load()) pump->wake();
  return true;
}

bool MessageLoop::sendTask(std::function<void()> task) {
  if (onOwnerThread()) {
    {
      std::lock_guard lock(mutex_);
      if (shutDown_) return false;
    }
    task();
    return true;
  }
  auto state = std::make_shared<SendState>();
  auto notice = std::make_shared<SendNotice>(state);
  // The wrapper holds the only reference to the notice, so it fires when the queue lets go of it.
  bool queued = post([notice = std::move(notice), &task]() mutable {
    task();
    notice->ran();
  });
  if (!queued) return false;
  std::unique_lock lock(state->mutex);
  state->done.wait(lock, [&] { return state->finished; });
  return state->ran;
}

bool MessageLoop::runOneTask() {
  std::function<void()> task;
  {
    std::lock_guard lock(mutex_);
    if (tasks_.empty()) return false;
    task = std::move(tasks_.front());
    tasks_.pop_front();
  }
  task();
  return true;
}

void MessageLoop::doEvents() {
  // Callers that run once per item of a long job (a load) let the pump in a few times a frame,
  // not once per item: a person sees no difference, the job does.
  if (EventPump* pump = pump_.load()) {
    auto now = std::chrono::steady_clock::now();
    if (now - lastPump_ >= std::chrono::milliseconds(2)) {
      lastPump_ = now;
      pump->processPending();
    }
  }
  fireDueTimers();
  std::size_t queued;
  {
    std::lock_guard lock(mutex_);
    queued = tasks_.size();
  }
  // Only what was queued on entry: a task that posts itself again must not keep us here.
  while (queued-- > 0 && runOneTask()) {
  }
}

void MessageLoop::runUntil(const std::function<bool()>& done) {
  ++depth_;
  while (!done()) {
    // A busy loop still lets the pump paint and take input, a few times a frame.
    if (EventPump* pump = pump_.load()) {
      auto now = std::chrono::steady_clock::now();
      if (now - lastPump_ >= std::chrono::milliseconds(5)) {
        lastPump_ = now;
        pump->processPending();
        if (done()) break;
      }
    }
    if (runOneTask()) continue;
    if (fireDueTimers()) continue;
    if (idleHandler_ && idleHandler_()) continue;
    {
      std::lock_guard lock(mutex_);
      if (shutDown_ && tasks_.empty()) break;  // nothing can arrive any more
    }
    wait(done);
  }
  --depth_;
}

void MessageLoop::run() {
  runUntil([this] {
    std::lock_guard lock(mutex_);
    return quitRequested_;
  });
  std::lock_guard lock(mutex_);
  quitRequested_ = false;
}

void MessageLoop::quit() {
  {
    std::lock_guard lock(mutex_);
    quitRequested_ = true;
  }
  post([] {});  // wakes a sleeping loop
}

void MessageLoop::shutdown() {
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard lock(mutex_);
    shutDown_ = true;
    dropped.swap(tasks_);
  }
  wake_.notify_all();
  dropped.clear();  // releases waiting senders
}

void MessageLoop::setPump(EventPump* pump) {
  pump_.store(pump);
}

void MessageLoop::wait(const std::function<bool()>&) {
  std::optional<Clock::TimePoint> due = nextDue();
  if (EventPump* pump = pump_.load()) {
    {
      std::lock_guard lock(mutex_);
      if (!tasks_.empty() || shutDown_) return;
    }
    // A post after this check wakes the pump, whose wake is kept until its next wait.
    std::optional<std::chrono::steady_clock::time_point> deadline;
    if (due && clock_.passesByItself())
      deadline = std::chrono::steady_clock::now() + (*due - clock_.now());
    pump->wait(deadline);
    lastPump_ = std::chrono::steady_clock::now();
    return;
  }
  std::unique_lock lock(mutex_);
  auto ready = [this] { return !tasks_.empty() || shutDown_; };
  if (due && clock_.passesByItself()) {
    auto left = *due - clock_.now();
    wake_.wait_until(lock, std::chrono::steady_clock::now() + left, ready);
  } else {
    wake_.wait(lock, ready);
  }
}

void MessageLoop::addTimer(Timer* t) {
  timers_.push_back(t);
}

void MessageLoop::removeTimer(Timer* t) {
  timers_.erase(std::remove(timers_.begin(), timers_.end(), t), timers_.end());
}

std::size_t MessageLoop::enabledTimerCount() const {
  return static_cast<std::size_t>(
      std::count_if(timers_.begin(), timers_.end(), [](const Timer* t) { return t->enabled_; }));
}

std::optional<Clock::TimePoint> MessageLoop::nextDue() const {
  std::optional<Clock::TimePoint> next;
  for (const Timer* t : timers_) {
    if (!t->enabled_ || t->intervalMs_ <= 0 || t->firing_) continue;
    if (!next || t->dueAt_ < *next) next = t->dueAt_;
  }
  return next;
}

bool MessageLoop::fireDueTimers() {
  if (timers_.empty()) return false;
  Clock::TimePoint now = clock_.now();
  std::vector<Timer*> snapshot = timers_;
  bool fired = false;
  for (Timer* t : snapshot) {
    // A handler may have destroyed timers of the snapshot.
    if (std::find(timers_.begin(), timers_.end(), t) == timers_.end()) continue;
    if (!t->due(now)) continue;
    t->fire();
    fired = true;
  }
  return fired;
}

}  // namespace platform::ui
