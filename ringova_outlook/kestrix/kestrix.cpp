// The exported entry point of libkestrix.so.
#include "ringova_outlook/kestrix/kestrix.h"

#include <optional>

#include "ringova_outlook/kestrix/pattern.h"

extern "C" __attribute__((visibility("default"))) int32_t GetBestMatching(
    const char* number, const KestrixRuleTable* rules) {
  if (number == nullptr || rules == nullptr || rules->rules == nullptr) return 0;
  try {
    int32_t best = 0;
    kestrix::Specificity bestSpec;
    for (int32_t i = 0; i < rules->count; ++i) {
      const char* pattern = rules->rules[i].pattern;
      std::optional<kestrix::Specificity> spec = kestrix::Match(pattern ? pattern : "", number);
      if (spec && (best == 0 || spec->moreSpecificThan(bestSpec))) {
        best = i + 1;
        bestSpec = *spec;
      }
    }
    return best;
  } catch (...) {
    return 0;  // nothing may cross the C boundary
  }
}
