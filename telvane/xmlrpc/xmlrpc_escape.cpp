#include "telvane/xmlrpc/xmlrpc_escape.h"

#include <cstring>

namespace telvane {

void appendEscaped(std::string& out, std::string_view text) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char* entity;
    switch (text[i]) {
      case '&':
        entity = "&amp;";
        break;
      case '<':
        entity = "&lt;";
        break;
      case '>':
        entity = "&gt;";
        break;
      default:
        continue;
    }
    out.append(text.data() + start, i - start);
    out.append(entity);
    start = i + 1;
  }
  out.append(text.data() + start, text.size() - start);
}

namespace {

// One pass to its fixed point: every "&" + tail becomes `replacement`. A replacement can only
// create a new match where it stands (the pattern has its one "&" at the front), and only when
// the replacement is "&" itself; then the "&" simply swallows each following tail. So one
// left-to-right sweep gives the result of searching again from the start after every
// replacement.
void replaceAll(std::string& text, std::string_view tail, char replacement) {
  char* data = text.data();
  const std::size_t size = text.size();
  const char* first = static_cast<const char*>(std::memchr(data, '&', size));
  if (first == nullptr) return;
  std::size_t read = std::size_t(first - data);
  std::size_t write = read;
  auto tailAt = [&](std::size_t at) {
    return size - at >= tail.size() && std::memcmp(data + at, tail.data(), tail.size()) == 0;
  };
  while (read < size) {
    char c = data[read];
    if (c == '&' && tailAt(read + 1)) {
      read += 1 + tail.size();
      if (replacement == '&') {
        while (tailAt(read)) read += tail.size();
      }
      data[write++] = replacement;
    } else {
      data[write++] = c;
      ++read;
    }
  }
  text.resize(write);
}

}  // namespace

void unescapeInPlace(std::string& text) {
  if (text.find('&') == std::string::npos) return;
  replaceAll(text, "amp;", '&');
  replaceAll(text, "lt;", '<');
  replaceAll(text, "gt;", '>');
  replaceAll(text, "amp", '&');
  replaceAll(text, "lt", '<');
}

}  // namespace telvane
