#pragma once
// The dialing rules file "RingovaDialing.txt" in the log folder: the rules in table order, each
// as five lines (Pattern, Discarded, Prefix, Suffix, Description), each line the field's text in
// double quotes, CR LF line ends, no header or trailer. Text is written byte for byte.
//
// Reading also takes fields separated by commas, unquoted fields (trimmed, ending at the next
// comma or line end) and LF line ends; it reads exactly five fields per rule. A field cannot
// hold a double quote (there is no escape), so writers must keep quotes out.
#include <string>
#include <string_view>
#include <vector>

#include "ringova_outlook/dialing/dial_rule.h"
#include "ringova_outlook/dialing/dialing_log.h"

namespace ringova {

inline constexpr const char* kRulesFileName = "RingovaDialing.txt";

// The rules in text; false with the reason when a rule is cut short.
bool ParseRules(std::string_view text, std::vector<DialRule>& rules, std::string& error);
std::string FormatRules(const std::vector<DialRule>& rules);

// Reads the file at path into rules; a missing file is created empty first. False with the
// reason on a read or format error (rules then undefined).
bool ReadRulesFile(const std::string& path, std::vector<DialRule>& rules, std::string& error);
// Replaces the file whole (see platform/shell/replace_file.h): after a crash it holds the old
// rules or the new ones, and it keeps its permissions. False with the reason when it cannot be
// written; the old file then stays.
bool WriteRulesFile(const std::string& path, const std::vector<DialRule>& rules,
                    std::string& error);

// Loads folder + "RingovaDialing.txt" into the table. On failure logs "RestoreDialRules: " and
// the reason and leaves the table as it was, so partly read rules are never used.
bool RestoreDialRules(const std::string& folder, RuleTable& table, const LogSink& log);

}  // namespace ringova
