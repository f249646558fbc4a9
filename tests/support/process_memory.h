#pragma once
// What a soak measures of its own process: resident memory and the live heap.

#include <malloc.h>

#include <cstddef>
#include <fstream>
#include <sstream>
#include <string>

// Bytes the sanitizer's allocator holds for live blocks; absent without a sanitizer.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

namespace testsupport {

// Resident memory of this process in KiB (VmRSS), 0 when unknown.
inline long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) {
      std::istringstream fields(line.substr(6));
      long kib = 0;
      fields >> kib;
      return kib;
    }
  }
  return 0;
}

// Bytes in live heap blocks: the sanitizer's count, else the C library's.
inline long long LiveHeapBytes() {
  if (__sanitizer_get_current_allocated_bytes != nullptr) {
    return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
  }
  return static_cast<long long>(mallinfo2().uordblks);
}

}  // namespace testsupport
