#include "apps/common/json_line.h"

#include <cstdio>

namespace telvane::apps {

namespace {

bool isValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t extra = 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (c < 0x80) {
      extra = 0;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      if (c == 0xE0) low = 0xA0;   // no overlong forms
      if (c == 0xED) high = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (s.size() - i <= extra) return false;  // cut short
    for (size_t k = 1; k <= extra; ++k) {
      const unsigned char next = static_cast<unsigned char>(s[i + k]);
      if (k == 1 ? (next < low || next > high) : (next & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

void appendUtf8(std::string& out, unsigned char latin1) {
  if (latin1 < 0x80) {
    out += static_cast<char>(latin1);
  } else {
    out += static_cast<char>(0xC0 | (latin1 >> 6));
    out += static_cast<char>(0x80 | (latin1 & 0x3F));
  }
}

}  // namespace

std::string jsonString(std::string_view text) {
  const bool utf8 = isValidUtf8(text);
  std::string out = "\"";
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else if (c >= 0x80 && !utf8) {
          appendUtf8(out, c);
        } else {
          out += ch;
        }
    }
  }
  out += '"';
  return out;
}

void JsonLine::key(std::string_view name) {
  if (body_.size() > 1) body_ += ',';
  body_ += jsonString(name);
  body_ += ':';
}

JsonLine& JsonLine::text(std::string_view name, std::string_view value) {
  key(name);
  body_ += jsonString(value);
  return *this;
}

JsonLine& JsonLine::boolean(std::string_view name, bool value) {
  key(name);
  body_ += value ? "true" : "false";
  return *this;
}

JsonLine& JsonLine::number(std::string_view name, int64_t value) {
  key(name);
  body_ += std::to_string(value);
  return *this;
}

}  // namespace telvane::apps
