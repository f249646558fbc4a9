#include "tools/pbxsim/sim_text.h"

#include <charconv>

namespace telvane::tools {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::vector<std::string> splitWords(std::string_view line, std::size_t keep, std::string* rest) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i == line.size()) break;
    if (rest != nullptr && keep > 0 && words.size() == keep) {
      std::size_t end = line.size();
      while (end > i && (line[end - 1] == '\r' || line[end - 1] == '\n')) --end;
      *rest = std::string(line.substr(i, end - i));
      return words;
    }
    const std::size_t start = i;
    while (i < line.size() && !isBlank(line[i])) ++i;
    words.emplace_back(line.substr(start, i - start));
  }
  if (rest != nullptr) rest->clear();
  return words;
}

std::string unescapeBytes(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    switch (next) {
      case 'r':
        out += '\r';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case '0':
        out += '\0';
        break;
      case '\\':
        out += '\\';
        break;
      case 'x':
        if (i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
          out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
          i += 2;
          break;
        }
        [[fallthrough]];
      default:
        out += '\\';
        out += next;
    }
  }
  return out;
}

std::optional<long long> parseNumber(std::string_view text, long long min, long long max) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long value = 0;
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || failure != std::errc() || end != text.data() + text.size()) return {};
  if (value < min || value > max) return {};
  return value;
}

}  // namespace telvane::tools
