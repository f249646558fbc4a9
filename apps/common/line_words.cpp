#include "apps/common/line_words.h"

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

}  // namespace telvane::apps
