#pragma once
// The add-in's dialing rules: one rule table, shared by all windows, converted through the Kestrix
// library and logged to the add-in's log. Other parts of the add-in dial through these.
#include <string>
#include <string_view>

#include "ringova_outlook/dialing/dial_rule.h"
#include "ringova_outlook/dialing/number_converter.h"

namespace ringova {

RuleTable& AddinRuleTable();
NumberConverter& AddinNumberConverter();

// The dialable string for a phone-list entry or typed number.
std::string PrepareDialNumber(std::string_view text);
std::string ConvertPhoneByRule(std::string_view number);

// Loads LogFolder() + "RingovaDialing.txt" into the add-in's rule table.
bool RestoreDialRules();

}  // namespace ringova
