#include "platform/outlook/sources/source_runner.h"

#include <utility>

#include "platform/outlook/folder.h"
#include "platform/outlook/sources/source_cache.h"
#include "platform/outlook/sources/source_sync.h"

namespace platform::outlook::sources {

// What the worker and the UI thread share; the worker holds it too, so a task posted late finds
// it still there and sees that the runner is gone.
struct SourceRunner::Shared {
  std::mutex mutex;
  std::condition_variable wake;
  bool stop = false;
  bool requested = false;
  bool alive = true;  // UI thread only
  std::shared_ptr<std::atomic<bool>> cancel = std::make_shared<std::atomic<bool>>(false);
  SourceSnapshot snapshot;  // the last sync's, under the mutex
  std::string last_synced;  // when a sync last got through, under the mutex
};

SourceRunner::SourceRunner(SourceDefinition definition, Folder& store,
                           platform::ui::MessageLoop& loop, Log log)
    : definition_(std::move(definition)),
      store_(store, log),
      loop_(loop),
      log_(std::move(log)),
      interval_(loop),
      shared_(std::make_shared<Shared>()) {
  interval_.onTimer = [this] { SyncNow(); };
}

SourceRunner::~SourceRunner() {
  shared_->alive = false;
  {
    std::lock_guard lock(shared_->mutex);
    shared_->stop = true;
  }
  shared_->cancel->store(true);
  shared_->wake.notify_all();
  if (worker_.joinable()) worker_.join();
}

void SourceRunner::LoadCache() {
  std::optional<CachedSource> cached = ReadSourceCache(SourceCacheFile(definition_.name));
  if (!cached || cached->url != definition_.url) return;  // another server's cards are not these
  store_.QueueSnapshot(cached->snapshot);
  store_.ApplyAll();
  SetState(cached->state.empty() ? "cached" : cached->state);
  std::lock_guard lock(shared_->mutex);
  shared_->last_synced = cached->synced;
  shared_->snapshot = std::move(cached->snapshot);
}

void SourceRunner::Start() {
  if (worker_.joinable()) return;
  if (definition_.interval_minutes > 0) {
    interval_.setInterval(definition_.interval_minutes * 60 * 1000);
    interval_.setEnabled(true);
  }
  worker_ = std::thread([this] { Work(); });
  SyncNow();
}

void SourceRunner::SyncNow() {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->requested = true;
  }
  shared_->wake.notify_all();
}

void SourceRunner::Work() {
  std::shared_ptr<Shared> shared = shared_;
  const SourceSync sync = MakeSourceSync(definition_, shared->cancel);
  while (true) {
    SourceSnapshot previous;
    {
      std::unique_lock lock(shared->mutex);
      shared->wake.wait(lock, [&] { return shared->stop || shared->requested; });
      if (shared->stop) return;
      shared->requested = false;
      previous = shared->snapshot;
    }
    SourceCacheLock lock_cache;
    SyncOutcome outcome = sync(previous);
    if (outcome.failure == DavFailure::kCancelled) return;  // the cache keeps the last sync
    const std::string now = UtcNow();
    CachedSource cached;
    cached.url = definition_.url;
    cached.state = outcome.ok() ? "synced " + now : "failed: " + outcome.error;
    {
      std::lock_guard lock(shared->mutex);
      if (outcome.ok()) shared->last_synced = now;
      cached.synced = shared->last_synced;
    }
    // The snapshot stays on this thread, so a large one is never copied, nor freed on the UI
    // thread. The cache is written first: a UI thread applying beside it runs its batches slower.
    cached.snapshot = std::move(outcome.snapshot);
    std::string error;
    WriteSourceCache(SourceCacheFile(definition_.name), cached, error);
    {
      std::lock_guard lock(shared->mutex);
      shared->snapshot = std::move(cached.snapshot);
    }
    auto result = std::make_shared<SyncOutcome>(std::move(outcome));
    loop_.post([this, shared, result] {
      if (shared->alive) Finished(std::move(*result));
    });
  }
}

void SourceRunner::Finished(SyncOutcome outcome) {
  for (const std::string& note : outcome.notes) log_("Source " + definition_.name + ": " + note);
  if (outcome.ok()) {
    SetState("synced " + UtcNow());
    if (definition_.interval_minutes > 0) interval_.setEnabled(true);
  } else {
    log_("Source " + definition_.name + ": sync failed: " + outcome.error);
    SetState("failed: " + outcome.error);
    // A wrong password waits for the user (the next sync asked for), not for the next interval.
    if (outcome.failure == DavFailure::kAuthentication) interval_.setEnabled(false);
  }
  store_.QueueChanges(std::move(outcome.changes));
  ++syncs_pending_;
  if (!applying_) ApplyBatch();
}

void SourceRunner::ApplyBatch() {
  // Whichever comes first, so a slow machine's batch still leaves the window room to draw.
  const auto until = loop_.clock().now() + kBatchTime;
  applying_ = store_.ApplySome(kBatch, [&] { return loop_.clock().now() >= until; });
  if (!applying_) {
    syncs_done_ += std::exchange(syncs_pending_, 0);
    return;
  }
  loop_.post([this, shared = shared_] {
    if (shared->alive) ApplyBatch();
  });
}

void SourceRunner::SetState(std::string state) {
  state_ = std::move(state);
  store_.StoreFolder().SetStoreState(state_);
}

}  // namespace platform::outlook::sources
