#include "telvane/xmlrpc/call_id.h"

#include <atomic>
#include <charconv>
#include <chrono>

namespace telvane {

std::string formatId(CallId id) {
  char digits[24];
  auto result = std::to_chars(digits, digits + sizeof digits, id);
  return std::string(digits, result.ptr);
}

CallId parseId(std::string_view text) {
  // Unsigned arithmetic wraps, which is the modulo 2^64 the ID text relies on.
  CallId value = 0;
  CallId power = 1;
  for (std::size_t i = text.size(); i-- > 0;) {
    CallId digit = CallId(static_cast<unsigned char>(text[i])) - CallId('0');
    value += digit * power;
    power *= 10;
  }
  return value;
}

CallId newId() {
  static std::atomic<CallId> last{0};
  const CallId now =
      CallId(std::chrono::steady_clock::now().time_since_epoch() / std::chrono::nanoseconds(1));
  CallId previous = last.load(std::memory_order_relaxed);
  CallId next;
  do {
    next = now > previous ? now : previous + 1;
  } while (!last.compare_exchange_weak(previous, next, std::memory_order_relaxed));
  return next;
}

}  // namespace telvane
