#include "ringova_outlook/dialing/dial_rule.h"

namespace ringova {

const std::string& RuleField(const DialRule& rule, int field) {
  switch (field) {
    case 0:
      return rule.Pattern;
    case 1:
      return rule.Discarded;
    case 2:
      return rule.Prefix;
    case 3:
      return rule.Suffix;
    default:
      return rule.Description;
  }
}

std::string& RuleField(DialRule& rule, int field) {
  return const_cast<std::string&>(RuleField(static_cast<const DialRule&>(rule), field));
}

bool RuleTable::SetRules(std::vector<DialRule> rules) {
  if (rules.size() > static_cast<size_t>(kMaxRuleCount)) return false;
  rules_ = std::move(rules);
  return true;
}

}  // namespace ringova
