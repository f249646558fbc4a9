#pragma once
// From a phone-list entry or typed number to the string handed to the PBX: strip the phone-kind
// label, clean the number, apply the best-matching dialing rule.
#include <optional>
#include <string>
#include <string_view>

#include "ringova_outlook/dialing/dial_rule.h"
#include "ringova_outlook/dialing/dialing_log.h"
#include "ringova_outlook/dialing/rule_matcher.h"

namespace ringova {

// The decimal number a text begins with, after leading blanks (sign, digits, fraction, exponent);
// 0 when it begins with none. How a typed number field reads.
double LeadingNumber(std::string_view text);

// The 1-based character position a rule's Discarded text keeps the number from: the number the
// text begins with (0 when it begins with none) plus 1, rounded half to even. Nothing when that
// is below 1 or not representable.
std::optional<int> DiscardStart(std::string_view discarded);

class NumberConverter {
 public:
  // Both must outlive the converter.
  NumberConverter(const RuleTable& rules, RuleMatcher& matcher, LogSink log);

  // The dialable string; empty for empty text (no rule is looked at then).
  std::string PrepareDialNumber(std::string_view text);

  // The number converted by the best-matching rule, or unchanged when no rule applies. Any
  // failure (matcher unreachable, position beyond the table, bad discard count) is logged as
  // "ConvertPhoneByRule: Error - " + number and gives the number unchanged.
  std::string ConvertPhoneByRule(std::string_view number);

 private:
  // The converted number; nothing on a failure.
  std::optional<std::string> Convert(std::string_view number);

  const RuleTable& rules_;
  RuleMatcher& matcher_;
  LogSink log_;
};

}  // namespace ringova
