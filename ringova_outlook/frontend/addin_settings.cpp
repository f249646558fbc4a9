#include "ringova_outlook/frontend/addin_settings.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <optional>

#include "platform/outlook/text_util.h"
#include "ringova_outlook/dialing/number_converter.h"

namespace ringova {
namespace {

using platform::outlook::EqualsIgnoreCase;
using platform::outlook::TrimBlanks;

// A whole decimal number, optionally signed, filling the trimmed text.
std::optional<long long> WholeNumber(std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

int Clamp(long long value, int low, int high) {
  return static_cast<int>(std::clamp<long long>(value, low, high));
}

}  // namespace

const char* BoolText(bool value) {
  return value ? "True" : "False";
}

bool ReadBool(std::string_view text, bool fallback) {
  text = TrimBlanks(text);
  if (EqualsIgnoreCase(text, "True")) return true;
  if (EqualsIgnoreCase(text, "False")) return false;
  if (auto n = WholeNumber(text)) return *n != 0;
  return fallback;
}

int ReadPort(std::string_view text) {
  auto n = WholeNumber(text);
  return n && *n >= 1 && *n <= 65535 ? static_cast<int>(*n) : kDefaultServPort;
}

int ReadTimeIncoming(std::string_view text) {
  auto n = WholeNumber(text);
  return n ? Clamp(*n, kMinTimeIncoming, kMaxTimeIncoming) : kMinTimeIncoming;
}

int ReadTimeReconnect(std::string_view text) {
  auto n = WholeNumber(text);
  return n ? Clamp(*n, kMinTimeReconnect, kMaxTimeReconnect) : kMinTimeReconnect;
}

int FieldNumber(std::string_view text) {
  double value = LeadingNumber(TrimBlanks(text));
  if (!std::isfinite(value)) return value < 0 ? INT_MIN : INT_MAX;
  return static_cast<int>(std::clamp<double>(std::trunc(value), INT_MIN, INT_MAX));
}

int FieldPort(std::string_view text) {
  double value = LeadingNumber(TrimBlanks(text));
  if (!(value >= 1 && value <= 65535) || value != std::trunc(value)) return 0;
  return static_cast<int>(value);
}

}  // namespace ringova
