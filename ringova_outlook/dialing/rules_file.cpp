#include "ringova_outlook/dialing/rules_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/shell/replace_file.h"

namespace ringova {
namespace {

bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}

// Past one line end (CR LF, CR or LF) at pos.
size_t SkipLineEnd(std::string_view text, size_t pos) {
  if (pos < text.size() && text[pos] == '\r') ++pos;
  if (pos < text.size() && text[pos] == '\n') ++pos;
  return pos;
}

// Past the delimiter that ends a field: a comma or a line end (the end of text also ends it).
size_t SkipDelimiter(std::string_view text, size_t pos) {
  while (pos < text.size() && text[pos] != ',' && !IsLineEnd(text[pos])) ++pos;
  if (pos < text.size() && text[pos] == ',') return pos + 1;
  return SkipLineEnd(text, pos);
}

bool OnlyWhitespaceLeft(std::string_view text, size_t pos) {
  for (; pos < text.size(); ++pos)
    if (text[pos] != ' ' && text[pos] != '\t' && !IsLineEnd(text[pos])) return false;
  return true;
}

// One field at pos; false at the end of the text.
bool ReadField(std::string_view text, size_t& pos, std::string& field) {
  if (pos >= text.size()) return false;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  if (pos < text.size() && text[pos] == '"') {
    size_t close = text.find('"', pos + 1);
    if (close == std::string_view::npos) close = text.size();
    field.assign(text.substr(pos + 1, close - pos - 1));
    pos = SkipDelimiter(text, std::min(close + 1, text.size()));
    return true;
  }
  size_t end = pos;
  while (end < text.size() && text[end] != ',' && !IsLineEnd(text[end])) ++end;
  std::string_view raw = text.substr(pos, end - pos);
  size_t last = raw.find_last_not_of(" \t");
  field.assign(last == std::string_view::npos ? std::string_view() : raw.substr(0, last + 1));
  pos = SkipDelimiter(text, end);
  return true;
}

}  // namespace

bool ParseRules(std::string_view text, std::vector<DialRule>& rules, std::string& error) {
  rules.clear();
  size_t pos = 0;
  while (!OnlyWhitespaceLeft(text, pos)) {
    if (rules.size() >= static_cast<size_t>(kMaxRuleCount)) {
      error = "more than " + std::to_string(kMaxRuleCount) + " rules";
      return false;
    }
    DialRule rule;
    for (int f = 0; f < kDialRuleFields; ++f) {
      if (!ReadField(text, pos, RuleField(rule, f))) {
        error = "Input past end of file";
        return false;
      }
    }
    rules.push_back(std::move(rule));
  }
  return true;
}

std::string FormatRules(const std::vector<DialRule>& rules) {
  std::string out;
  for (const DialRule& rule : rules)
    for (int f = 0; f < kDialRuleFields; ++f) out += "\"" + RuleField(rule, f) + "\"\r\n";
  return out;
}

bool ReadRulesFile(const std::string& path, std::vector<DialRule>& rules, std::string& error) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    std::ofstream create(path, std::ios::binary);
    if (!create) {
      error = path + ": " + std::strerror(errno);
      return false;
    }
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) {
    error = path + ": read error";
    return false;
  }
  return ParseRules(content.str(), rules, error);
}

bool WriteRulesFile(const std::string& path, const std::vector<DialRule>& rules,
                    std::string& error) {
  // Replaced whole, so an editor killed while saving leaves the old rules or the new ones.
  return platform::shell::ReplaceFile(path, FormatRules(rules), 0666,
                                      platform::shell::FileMode::Keep, error);
}

bool RestoreDialRules(const std::string& folder, RuleTable& table, const LogSink& log) {
  std::vector<DialRule> rules;
  std::string error;
  if (!ReadRulesFile(folder + kRulesFileName, rules, error) || !table.SetRules(std::move(rules))) {
    log("RestoreDialRules: " + error);
    return false;
  }
  return true;
}

}  // namespace ringova
