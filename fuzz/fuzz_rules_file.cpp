// The dialing rules file. First byte: how many of the next bytes are a number to match (0 to 31);
// the rest is the file's text. Rules that parse, with no double quote in a field (the format has
// no escape for it), format and parse back to the same rules; every rule's pattern is matched
// against the number, and the best match is a rule whose pattern matches.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "ringova_outlook/dialing/rules_file.h"
#include "ringova_outlook/kestrix/kestrix.h"
#include "ringova_outlook/kestrix/pattern.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  telvane::fuzz::FuzzInput input(data, size);
  const std::size_t numberLength = input.byte() % 32;
  std::string_view rest = input.rest();
  const std::string number(rest.substr(0, numberLength));
  rest.remove_prefix(std::min(numberLength, rest.size()));

  std::vector<ringova::DialRule> rules;
  std::string error;
  if (!ringova::ParseRules(rest, rules, error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }

  bool quoteFree = true;
  for (const ringova::DialRule& rule : rules) {
    for (int f = 0; f < ringova::kDialRuleFields; ++f) {
      if (ringova::RuleField(rule, f).find('"') != std::string::npos) quoteFree = false;
    }
  }
  if (quoteFree) {
    std::vector<ringova::DialRule> again;
    if (!ringova::ParseRules(ringova::FormatRules(rules), again, error) || again != rules) {
      __builtin_trap();
    }
  }

  // The number as the matcher gets it: a C string, so up to its first zero byte.
  const std::string cNumber = number.c_str();
  std::vector<KestrixRule> table;
  for (const ringova::DialRule& rule : rules) {
    table.push_back({rule.Pattern.c_str(), rule.Discarded.c_str(), rule.Prefix.c_str(),
                     rule.Suffix.c_str(), rule.Description.c_str()});
  }
  const KestrixRuleTable view{table.data(), static_cast<int32_t>(table.size())};
  const int32_t best = GetBestMatching(cNumber.c_str(), &view);
  if (best < 0 || best > view.count) __builtin_trap();
  if (best > 0 && !kestrix::Match(rules[best - 1].Pattern.c_str(), cNumber)) __builtin_trap();
  if (best == 0) {
    for (const ringova::DialRule& rule : rules) {
      if (kestrix::Match(rule.Pattern.c_str(), cNumber)) __builtin_trap();
    }
  }
  return 0;
}
