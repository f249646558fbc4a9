#pragma once
// Number scanning shared by every reader of typed words (the control's text arguments, the
// programs' command lines).
#include <charconv>
#include <string_view>
#include <system_error>

namespace telvane {

// A whole word as a decimal number with an optional sign, within [min, max].
inline bool parseInteger(std::string_view word, long long min, long long max, long long& out) {
  // from_chars takes no '+' itself; drop one, but not in front of a '-' ("+-5").
  if (word.size() > 1 && word.front() == '+' && word[1] != '-') word.remove_prefix(1);
  long long n = 0;
  auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), n);
  if (word.empty() || ec != std::errc() || end != word.data() + word.size()) return false;
  if (n < min || n > max) return false;
  out = n;
  return true;
}

}  // namespace telvane
