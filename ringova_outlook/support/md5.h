#pragma once
// The MD5 message digest (RFC 1321), computed incrementally. Used to build the
// authentication text of the PBX login.
//
// Contract: MD5Init, then any number of MD5Update calls, then MD5Final; GetValues
// then gives the digest as 32 upper-case hexadecimal digits in the standard byte
// order. MD5Init may be called again to start a new digest.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ringova {

class clsMD5 {
 public:
  clsMD5() { MD5Init(); }

  void MD5Init();

  // One byte per character of the text, as it is coded (the system's code page).
  static std::vector<std::uint8_t> StringToArray(std::string_view text);

  // Feeds the first byte_count bytes of bytes; a count beyond the array is cut to
  // its size.
  void MD5Update(std::uint32_t byte_count, const std::vector<std::uint8_t>& bytes);
  void MD5Update(const std::uint8_t* data, std::size_t size);

  // Appends the padding and the message length; the digest is complete after it.
  void MD5Final();

  std::string GetValues() const;

 private:
  void Transform(const std::uint8_t block[64]);

  std::array<std::uint32_t, 4> state_{};
  std::uint64_t byte_count_ = 0;
  std::array<std::uint8_t, 64> pending_{};
};

}  // namespace ringova
