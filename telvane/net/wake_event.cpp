#include "telvane/net/wake_event.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace telvane {

WakeEvent::WakeEvent() : handle_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

WakeEvent::~WakeEvent() {
  if (handle_ >= 0) close(handle_);
}

void WakeEvent::Signal() {
  if (handle_ < 0) return;
  const std::uint64_t one = 1;
  // Only fails when the counter is saturated, and then the handle is readable anyway.
  [[maybe_unused]] const ssize_t written = write(handle_, &one, sizeof one);
}

bool WakeEvent::Drain() {
  if (handle_ < 0) return false;
  std::uint64_t count = 0;
  return read(handle_, &count, sizeof count) == static_cast<ssize_t>(sizeof count) && count > 0;
}

}  // namespace telvane
