// The last sync of a source, kept on disk so ringova starts with the known contacts while the
// server is out of reach: $XDG_CACHE_HOME/ringova/sources/<name>.json (~/.cache when unset),
// replaced whole at each write (0600; the cards are the user's contacts). The README documents
// the format.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/outlook/sources/carddav_sync.h"

namespace platform::outlook::sources {

struct CachedSource {
  std::string url;     // the server address it was synced from
  std::string synced;  // UTC time of the last sync that got through, "2026-12-11T14:03:00Z"
  std::string state;   // the last sync's outcome as the explorer shows it
  SourceSnapshot snapshot;
};

std::filesystem::path SourceCacheFolder();
std::filesystem::path SourceCacheFile(const std::string& source_name);

// nullopt when there is no cache or it does not read (then the next sync starts afresh).
std::optional<CachedSource> ReadSourceCache(const std::filesystem::path& file);
bool WriteSourceCache(const std::filesystem::path& file, const CachedSource& cached,
                      std::string& error);

std::string UtcNow();

// An exclusive lock on the cache folder, for a sync and the cache write after it, so ringova and
// `ringova source sync` never write one source's cache at once. Waits for the lock.
class SourceCacheLock {
 public:
  SourceCacheLock();
  ~SourceCacheLock();
  SourceCacheLock(const SourceCacheLock&) = delete;
  SourceCacheLock& operator=(const SourceCacheLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace platform::outlook::sources
