#pragma once
// The matcher behind GetBestMatching, usable in-process (tests, benchmarks). The language is
// described in kestrix.h.
#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrix {

// How specific a pattern is; larger compares as more specific.
struct Specificity {
  int literals = 0;
  int wildcards = 0;
  // More literals first, then fewer wildcards.
  bool moreSpecificThan(const Specificity& other) const {
    if (literals != other.literals) return literals > other.literals;
    return wildcards < other.wildcards;
  }
};

// The pattern's specificity when it matches the whole number, nothing otherwise (also for a
// malformed pattern).
std::optional<Specificity> Match(std::string_view pattern, std::string_view number);

}  // namespace kestrix
