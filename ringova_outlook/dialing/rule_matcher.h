#pragma once
// Picks the dialing rule that applies to a number. The add-in's matcher is the Kestrix library
// (kestrix_library.h); tests put their own in its place.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ringova_outlook/dialing/dial_rule.h"

namespace ringova {

struct MatchResult {
  bool ok = false;       // false: the matcher could not be reached; see error
  int32_t position = 0;  // 1-based rule position; 0 or less for none
  std::string error;
};

class RuleMatcher {
 public:
  virtual ~RuleMatcher() = default;
  // number: 8-bit text; rules: the whole table in order.
  virtual MatchResult GetBestMatching(std::string_view number,
                                      const std::vector<DialRule>& rules) = 0;
};

}  // namespace ringova
