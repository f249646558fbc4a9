#pragma once
// The add-in's dialing rules: one rule table, shared by all windows, converted through the Kestrix
// library and logged to the add-in's log. Other parts of the add-in dial through these.
#include <functional>
#include <string>
#include <string_view>

#include "ringova_outlook/dialing/dial_rule.h"
#include "ringova_outlook/dialing/dialing_editor.h"
#include "ringova_outlook/dialing/number_converter.h"

namespace ringova {

RuleTable& AddinRuleTable();
NumberConverter& AddinNumberConverter();

// The dialable string for a phone-list entry or typed number.
std::string PrepareDialNumber(std::string_view text);
std::string ConvertPhoneByRule(std::string_view number);

// What the settings window gives the rules editor: the add-in's table, log and log folder.
// applyFont gives the window the user-interface font (may be empty).
DialingEditor::Context AddinDialingEditorContext(
    platform::ui::Toolkit& toolkit, platform::shell::Shell& shell,
    std::function<void(platform::ui::Form&)> applyFont);

// Loads LogFolder() + "RingovaDialing.txt" into the add-in's rule table.
bool RestoreDialRules();

}  // namespace ringova
