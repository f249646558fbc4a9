// One address-book source at work in the host: its store filled from the cache at start, then
// synced on a worker thread at start, every interval (the UI loop's timer) and on request. Only
// a finished sync comes back to the UI thread, where its changes are applied in small batches,
// one posted task each, so the window is never held up for long. After every sync the cache is
// rewritten and the store's state says when it synced or why it failed.
//
// Made and used on the UI thread; the worker thread touches only the client, the snapshot it
// was handed and the cache file.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/outlook/sources/source_definitions.h"
#include "platform/outlook/sources/source_store.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/timer.h"

namespace platform::outlook::sources {

class SourceRunner {
 public:
  using Log = std::function<void(std::string_view)>;
  static constexpr std::size_t kBatch = 200;
  static constexpr std::chrono::milliseconds kBatchTime{8};

  SourceRunner(SourceDefinition definition, Folder& store, platform::ui::MessageLoop& loop,
               Log log);
  ~SourceRunner();
  SourceRunner(const SourceRunner&) = delete;
  SourceRunner& operator=(const SourceRunner&) = delete;

  const std::string& Name() const { return definition_.name; }
  // The cached contacts, into the store at once (before any add-in looks).
  void LoadCache();
  // Starts the worker and the first sync; later syncs come every interval.
  void Start();
  // A sync as soon as the worker is free; one running already is followed by one more.
  void SyncNow();
  // Finished syncs so far (applied to the store), for those who wait for one.
  int SyncsDone() const { return syncs_done_; }
  const std::string& State() const { return state_; }

 private:
  struct Shared;
  void Work();
  void Finished(SyncOutcome outcome);
  void ApplyBatch();
  void SetState(std::string state);

  SourceDefinition definition_;
  SourceStore store_;
  platform::ui::MessageLoop& loop_;
  Log log_;
  platform::ui::Timer interval_;
  std::shared_ptr<Shared> shared_;
  std::thread worker_;
  std::string state_;
  int syncs_done_ = 0;
  int syncs_pending_ = 0;
  bool applying_ = false;
};

}  // namespace platform::outlook::sources
