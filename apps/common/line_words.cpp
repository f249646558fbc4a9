#include "apps/common/line_words.h"

#include <charconv>

namespace telvane::apps {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

}  // namespace

bool splitWords(std::string_view line, std::vector<std::string>& words, std::string& error) {
  words.clear();
  std::string word;
  bool inWord = false;  // a quoted empty text is still a word
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '\\') {
      if (i + 1 == line.size()) {
        error = "backslash at the end of the line";
        return false;
      }
      word += line[++i];
      inWord = true;
    } else if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (isBlank(c) && !quoted) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (quoted) {
    error = "unfinished quote";
    return false;
  }
  if (inWord) words.push_back(std::move(word));
  return true;
}

bool parseInteger(std::string_view word, long long min, long long max, long long& out) {
  // from_chars takes no '+' itself; drop one, but not in front of a '-' ("+-5").
  if (word.size() > 1 && word.front() == '+' && word[1] != '-') word.remove_prefix(1);
  long long n = 0;
  auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), n);
  if (word.empty() || ec != std::errc() || end != word.data() + word.size()) return false;
  if (n < min || n > max) return false;
  out = n;
  return true;
}

}  // namespace telvane::apps
