#include "ringova_outlook/dialing/number_converter.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "ringova_outlook/dialing/phone_text.h"

namespace ringova {
namespace {

bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

double LeadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  size_t mantissaEnd = i;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      mantissaEnd = j;
    }
  }
  std::string number(text.substr(start, mantissaEnd - start));
  return std::strtod(number.c_str(), nullptr);
}

std::optional<int> DiscardStart(std::string_view discarded) {
  double value = LeadingNumber(discarded) + 1;
  if (!std::isfinite(value)) return std::nullopt;
  double rounded = std::floor(value);
  double rest = value - rounded;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(rounded, 2) != 0)) rounded += 1;  // halves to even
  if (rounded < 1 || rounded > INT_MAX) return std::nullopt;
  return static_cast<int>(rounded);
}

NumberConverter::NumberConverter(const RuleTable& rules, RuleMatcher& matcher, LogSink log)
    : rules_(rules), matcher_(matcher), log_(std::move(log)) {}

std::string NumberConverter::PrepareDialNumber(std::string_view text) {
  if (text.empty()) return {};
  return ConvertPhoneByRule(CleanDialText(text));
}

std::string NumberConverter::ConvertPhoneByRule(std::string_view number) {
  if (rules_.RuleCount() <= 0) return std::string(number);
  std::optional<std::string> result;
  try {
    result = Convert(number);
  } catch (...) {
    result.reset();
  }
  if (!result) {
    log_("ConvertPhoneByRule: Error - " + std::string(number));
    return std::string(number);
  }
  return *result;
}

std::optional<std::string> NumberConverter::Convert(std::string_view number) {
  MatchResult match = matcher_.GetBestMatching(number, rules_.Rules());
  if (!match.ok) return std::nullopt;
  if (match.position <= 0) return std::string(number);
  if (match.position > rules_.RuleCount()) return std::nullopt;
  const DialRule& rule = rules_.Rules()[static_cast<size_t>(match.position - 1)];
  std::optional<int> start = DiscardStart(rule.Discarded);
  if (!start) return std::nullopt;
  size_t from = static_cast<size_t>(*start - 1);
  std::string result = rule.Prefix;
  if (from < number.size()) result += number.substr(from);
  result += rule.Suffix;
  log_("ConvertPhoneByRule: pattern - " + rule.Pattern);
  return result;
}

}  // namespace ringova
