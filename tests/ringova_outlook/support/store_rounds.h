#pragma once
// What store_writer writes in each round, shared with the tests that check what a kill left.
#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "ringova_outlook/dialing/dial_rule.h"

namespace ringova::testing_support {

inline constexpr const char* kSettingsKey = "Software\\RingovaAddIn\\Settings";
inline constexpr int kRoundValues = 400;  // large enough that a write takes a while
inline constexpr int kRoundRules = 300;

inline std::vector<platform::RegistryWrite> SettingsRound(const std::string& tag, long round) {
  std::vector<platform::RegistryWrite> writes;
  for (int i = 0; i < kRoundValues; ++i) {
    writes.push_back({kSettingsKey, "Value" + std::to_string(i),
                      platform::RegistryValue::ofString(tag + std::to_string(round))});
  }
  return writes;
}

inline std::vector<DialRule> RulesRound(long round) {
  std::vector<DialRule> rules(kRoundRules);
  for (int i = 0; i < kRoundRules; ++i) {
    rules[i] = {"0" + std::to_string(i) + "X.", "1", "+49", "", std::to_string(round)};
  }
  return rules;
}

inline std::string LogMessage(long n) {
  return "line " + std::to_string(n) + " " + std::string(200, 'x');
}

}  // namespace ringova::testing_support
