#pragma once
// One dialing rule and the rule table.
#include <cstdint>
#include <string>
#include <vector>

namespace ringova {

// Five texts, always in this order (rules file, editor columns).
struct DialRule {
  std::string Pattern;      // matched against the number; never "-", blank, "(" or ")"
  std::string Discarded;    // count of leading characters removed, as decimal text
  std::string Prefix;       // put in front of what is left
  std::string Suffix;       // appended after what is left
  std::string Description;  // for the user only

  bool operator==(const DialRule&) const = default;
};

inline constexpr int kDialRuleFields = 5;

// The field of a rule by its position 0..4 in the order above.
const std::string& RuleField(const DialRule& rule, int field);
std::string& RuleField(DialRule& rule, int field);

// The rule table holds at most this many rules (its count is a 16-bit signed number).
inline constexpr int kMaxRuleCount = 32767;

// The ordered rules, first at index 0, shared by number conversion and the editor.
class RuleTable {
 public:
  const std::vector<DialRule>& Rules() const { return rules_; }
  int16_t RuleCount() const { return static_cast<int16_t>(rules_.size()); }
  // False (table unchanged) for more than kMaxRuleCount rules.
  bool SetRules(std::vector<DialRule> rules);

 private:
  std::vector<DialRule> rules_;
};

}  // namespace ringova
