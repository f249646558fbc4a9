#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace telvane {

// Identifies a call, a subscription or a request; 0 means none or failure.
using CallId = std::uint64_t;

// Unsigned decimal without sign or padding; 0 gives "0".
std::string formatId(CallId id);

// Each character c, from the last to the first, adds (c - '0') * 10^(distance from the end),
// modulo 2^64. No character is rejected; the empty text gives 0. So "1a" reads as 59.
CallId parseId(std::string_view text);

// A new ID from the monotonic high-resolution clock. Strictly increasing within the process
// (two calls in the same clock tick still differ) and safe to call from any thread.
CallId newId();

}  // namespace telvane
