#include "telvane/net/readiness.h"

#include <poll.h>

#include <cerrno>
#include <vector>

namespace telvane {
namespace {

using Clock = std::chrono::steady_clock;

timespec ToTimespec(std::chrono::microseconds limit) {
  if (limit.count() < 0) limit = std::chrono::microseconds(0);
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(limit);
  const auto rest = std::chrono::duration_cast<std::chrono::nanoseconds>(limit - seconds);
  return timespec{.tv_sec = static_cast<time_t>(seconds.count()),
                  .tv_nsec = static_cast<long>(rest.count())};
}

int Poll(pollfd* entries, nfds_t count, WaitLimit limit) {
  if (!limit) return ppoll(entries, count, nullptr, nullptr);
  const timespec span = ToTimespec(*limit);
  return ppoll(entries, count, &span, nullptr);
}

short EventsFor(bool read, bool write) {
  short events = 0;
  if (read) events |= POLLIN;
  if (write) events |= POLLOUT;
  return events;
}

}  // namespace

int WaitForHandles(std::span<WatchedHandle> handles, WaitLimit limit) {
  std::vector<pollfd> entries;
  entries.reserve(handles.size());
  for (WatchedHandle& watched : handles) {
    watched.readable = watched.writable = watched.failed = false;
    entries.push_back(pollfd{.fd = watched.handle < 0 ? -1 : watched.handle,
                             .events = EventsFor(watched.wantRead, watched.wantWrite),
                             .revents = 0});
  }
  const int result = Poll(entries.data(), entries.size(), limit);
  if (result < 0) return errno == EINTR ? 0 : -1;

  constexpr short kTrouble = POLLERR | POLLHUP | POLLNVAL;
  for (std::size_t i = 0; i < handles.size(); ++i) {
    const short got = entries[i].revents;
    WatchedHandle& watched = handles[i];
    watched.failed = (got & kTrouble) != 0;
    watched.readable = watched.wantRead && (got & (POLLIN | kTrouble)) != 0;
    watched.writable = watched.wantWrite && (got & (POLLOUT | kTrouble)) != 0;
  }
  return result;
}

int WaitForHandle(int handle, bool forWrite, WaitLimit limit) {
  const auto deadline = limit ? std::optional(Clock::now() + *limit) : std::nullopt;
  pollfd entry{.fd = handle, .events = EventsFor(!forWrite, forWrite), .revents = 0};
  for (;;) {
    WaitLimit left;
    if (deadline) {
      left = std::chrono::duration_cast<std::chrono::microseconds>(*deadline - Clock::now());
      if (left->count() < 0) left = std::chrono::microseconds(0);
    }
    const int result = Poll(&entry, 1, left);
    if (result > 0) return 1;
    if (result == 0) return 0;
    if (errno != EINTR) return -1;
  }
}

}  // namespace telvane
