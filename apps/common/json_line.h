#pragma once
// One JSON object per line, members in the order they are added. Texts are written as UTF-8;
// a text that is not valid UTF-8 is taken byte by byte as Latin-1, so every byte shows.
#include <cstdint>
#include <string>
#include <string_view>

namespace telvane::apps {

class JsonLine {
 public:
  JsonLine& text(std::string_view name, std::string_view value);
  JsonLine& boolean(std::string_view name, bool value);
  JsonLine& number(std::string_view name, int64_t value);
  // The finished object, without a line end.
  std::string str() const { return body_ + "}"; }

 private:
  void key(std::string_view name);
  std::string body_ = "{";
};

// `text` as a JSON string literal, quotes included.
std::string jsonString(std::string_view text);

}  // namespace telvane::apps
