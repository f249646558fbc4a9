#pragma once
// Reads typed choices off the front of a fuzz input; what is left is the text under test.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace telvane::fuzz {

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  // The next byte, or 0 once the input is used up.
  std::uint8_t byte() {
    if (rest_.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return b;
  }
  std::string_view rest() const { return rest_; }

 private:
  std::string_view rest_;
};

}  // namespace telvane::fuzz
