// Readiness waits over socket and event handles, with optional time limits.
//
// Readiness follows the select() convention: a handle with an error or a hang-up pending counts
// as readable (when watched for reading) and as writable (when watched for writing), so the next
// transfer on it reports the condition.
#ifndef TELVANE_NET_READINESS_H_
#define TELVANE_NET_READINESS_H_

#include <chrono>
#include <optional>
#include <span>

namespace telvane {

// How long a wait may last: no value waits without limit.
using WaitLimit = std::optional<std::chrono::microseconds>;

// The time left until `deadline` on the steady clock, never negative.
inline std::chrono::microseconds TimeLeft(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
      deadline - std::chrono::steady_clock::now());
  return left.count() > 0 ? left : std::chrono::microseconds(0);
}

struct WatchedHandle {
  int handle = -1;  // negative handles are skipped
  bool wantRead = false;
  bool wantWrite = false;
  // Set by the wait.
  bool readable = false;
  bool writable = false;
  bool failed = false;  // error, hang-up or invalid handle reported
};

// Waits until at least one handle is ready or the limit has passed. Returns the number of handles
// with something reported, 0 when the limit passed or a signal cut the wait short, -1 when the
// wait itself failed (nothing is then marked ready).
int WaitForHandles(std::span<WatchedHandle> handles, WaitLimit limit);

// Waits for one handle to become readable (or writable, when `forWrite`). Returns 1 when ready,
// 0 when the limit passed, -1 when the wait failed. A signal does not shorten the wait.
int WaitForHandle(int handle, bool forWrite, WaitLimit limit);

}  // namespace telvane

#endif  // TELVANE_NET_READINESS_H_
