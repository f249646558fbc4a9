#pragma once

#include <string_view>

namespace telvane {

// Protocol names (elements, types, methods, members) are compared ignoring ASCII letter case.
constexpr char asciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

constexpr bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    // Names on the wire mostly match exactly; folding is needed only where bytes differ.
    if (a[i] != b[i] && asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace telvane
