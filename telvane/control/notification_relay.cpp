#include "telvane/control/notification_relay.h"

#include <atomic>

namespace telvane {

struct NotificationRelay::Shared {
  std::function<void(const Notification&)> raise;

  mutable std::mutex mutex;
  std::condition_variable changed;
  platform::OwnerDispatcher* dispatcher = nullptr;
  bool closed = false;
  int syncDepth = 0;      // open SyncScopes
  bool draining = false;  // owner thread inside drain(); a nested drain leaves the work to it
  struct Entry {
    Notification notification;
    std::uint64_t seq;
    const DeliveryGate* gate;  // null: raised unasked
  };
  std::deque<Entry> queue;
  std::uint64_t queued = 0;   // sequence number of the latest entry
  std::uint64_t settled = 0;  // every entry up to here was raised or dropped
  std::uint64_t awaited = 0;  // the entry a sender waits for; only that one wakes it

  // Lock held: marks everything settled and releases the sender.
  void settleAll() {
    queue.clear();
    settled = queued;
    changed.notify_all();
  }
  // Lock held: queues one entry; its sequence number.
  std::uint64_t push(Notification notification, const DeliveryGate* gate) {
    queue.push_back({std::move(notification), ++queued, gate});
    return queued;
  }
};

namespace {

std::atomic<int> tasksHeld{0};

// Lives in each posted task: counts the tasks that dispatchers still hold.
struct HeldTask {
  HeldTask() { ++tasksHeld; }
  ~HeldTask() { --tasksHeld; }
  HeldTask(const HeldTask&) = delete;
  HeldTask& operator=(const HeldTask&) = delete;
};

// Owner thread: raises the queue in order, unless a synchronous call is open.
void drainQueue(NotificationRelay::Shared& s) {
  std::unique_lock lock(s.mutex);
  if (s.draining) return;
  s.draining = true;
  bool reached = false;
  while (!s.closed && s.syncDepth == 0 && !s.queue.empty()) {
    NotificationRelay::Shared::Entry entry = std::move(s.queue.front());
    s.queue.pop_front();
    lock.unlock();
    if (entry.gate == nullptr || entry.gate->admits(entry.notification))
      s.raise(entry.notification);
    lock.lock();
    s.settled = entry.seq;
    reached = reached || s.settled >= s.awaited;
  }
  s.draining = false;
  lock.unlock();
  // Outside the lock, or the sender wakes only to wait for it.
  if (reached) s.changed.notify_all();
}

// Asks the owner thread to drain; false when there is no dispatcher to ask. Lock held.
bool postDrain(const std::shared_ptr<NotificationRelay::Shared>& s) {
  if (!s->dispatcher || s->closed) return false;
  return s->dispatcher->post(
      [weak = std::weak_ptr<NotificationRelay::Shared>(s), held = std::make_shared<HeldTask>()] {
        if (auto alive = weak.lock()) drainQueue(*alive);
      });
}

}  // namespace

int NotificationRelay::tasksInDispatchers() {
  return tasksHeld.load();
}

NotificationRelay::NotificationRelay(std::function<void(const Notification&)> raise)
    : shared_(std::make_shared<Shared>()) {
  shared_->raise = std::move(raise);
}

NotificationRelay::~NotificationRelay() {
  close();
}

void NotificationRelay::setDispatcher(platform::OwnerDispatcher* dispatcher) {
  std::lock_guard lock(shared_->mutex);
  shared_->dispatcher = dispatcher;
  if (!dispatcher) shared_->settleAll();
}

bool NotificationRelay::canReceive() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->dispatcher != nullptr && !shared_->closed;
}

namespace {

// Lock held, the batch queued up to `last`: hands it to the owner thread; false when nobody will
// raise it (then it is dropped).
bool handOver(const std::shared_ptr<NotificationRelay::Shared>& s, std::uint64_t last,
              std::size_t count) {
  if (s->syncDepth > 0) return false;  // raised when the synchronous call returns

  // The task holds the shared state, not the relay: it may run after the control is gone.
  if (!postDrain(s)) {
    // The host's dispatcher has shut down: nothing will ever raise them.
    s->queue.erase(s->queue.end() - static_cast<std::ptrdiff_t>(count), s->queue.end());
    s->settled = s->queued;
    return false;
  }
  s->awaited = last;
  return true;
}

// Lock held: waits until the awaited entry was raised, or the sender is let go.
void waitSettled(NotificationRelay::Shared& s, std::unique_lock<std::mutex>& lock) {
  s.changed.wait(lock, [&] { return s.settled >= s.awaited || s.syncDepth > 0 || s.closed; });
}

}  // namespace

void NotificationRelay::deliver(const Notification& notification) {
  std::shared_ptr<Shared> s = shared_;
  std::unique_lock lock(s->mutex);
  if (!s->dispatcher || s->closed) return;
  if (handOver(s, s->push(notification, nullptr), 1)) waitSettled(*s, lock);
}

void NotificationRelay::deliverAll(std::span<Notification> batch, const DeliveryGate& gate) {
  startDelivery(batch, gate);
  finishDelivery();
}

void NotificationRelay::startDelivery(std::span<Notification> batch, const DeliveryGate& gate) {
  if (batch.empty()) return;
  std::shared_ptr<Shared> s = shared_;
  std::lock_guard lock(s->mutex);
  if (!s->dispatcher || s->closed) return;
  std::uint64_t last = 0;
  for (Notification& notification : batch) last = s->push(std::move(notification), &gate);
  handOver(s, last, batch.size());
}

void NotificationRelay::finishDelivery() {
  std::unique_lock lock(shared_->mutex);
  waitSettled(*shared_, lock);
}

void NotificationRelay::close() {
  std::lock_guard lock(shared_->mutex);
  shared_->closed = true;
  shared_->settleAll();
}

NotificationRelay::SyncScope::SyncScope(NotificationRelay& relay) : relay_(relay) {
  std::lock_guard lock(relay_.shared_->mutex);
  ++relay_.shared_->syncDepth;
  // A sender waiting for the owner would wait for the whole call: let it go on.
  relay_.shared_->changed.notify_all();
}

NotificationRelay::SyncScope::~SyncScope() {
  Shared& s = *relay_.shared_;
  std::lock_guard lock(s.mutex);
  if (--s.syncDepth > 0 || s.queue.empty()) return;
  // Raised once the call has returned to the host, the next time it pumps.
  if (!postDrain(relay_.shared_)) s.settleAll();
}

}  // namespace telvane
