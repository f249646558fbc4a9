#include "apps/ringova/script_line.h"

#include <charconv>

#include "apps/common/line_words.h"

namespace ringova::host {

std::string_view WithoutComment(std::string_view line) {
  // Blanks as the word splitter takes them; an escaped blank does not end a word.
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  bool quoted = false;
  bool wordStart = true;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\\') {
      ++i;
      wordStart = false;
    } else if (c == '"') {
      quoted = !quoted;
      wordStart = false;
    } else if (c == '#' && !quoted && wordStart) {
      return line.substr(0, i);
    } else {
      wordStart = !quoted && blank(c);
    }
  }
  return line;
}

bool ScriptWords(std::string_view line, std::vector<std::string>& words, std::string& error) {
  return telvane::apps::splitWords(WithoutComment(line), words, error);
}

bool ParseWaitSeconds(std::string_view word, double& seconds) {
  double value = 0;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (ec != std::errc() || end != word.data() + word.size()) return false;
  if (!(value >= 0) || value > kMaxWaitSeconds) return false;
  seconds = value;
  return true;
}

}  // namespace ringova::host
