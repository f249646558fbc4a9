#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <random>
#include <string>
#include <vector>

#include "ringova_outlook/support/md5.h"

namespace ringova {
namespace {

std::string Digest(std::string_view text) {
  clsMD5 md5;
  md5.MD5Init();
  auto bytes = clsMD5::StringToArray(text);
  md5.MD5Update(static_cast<std::uint32_t>(bytes.size()), bytes);
  md5.MD5Final();
  return md5.GetValues();
}

std::string OpenSslDigest(const std::vector<std::uint8_t>& bytes) {
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EXPECT_EQ(EVP_Digest(bytes.data(), bytes.size(), out, &length, EVP_md5(), nullptr), 1);
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += kHex[out[i] >> 4];
    text += kHex[out[i] & 0x0F];
  }
  return text;
}

TEST(Md5, Rfc1321TestSuite) {
  EXPECT_EQ(Digest(""), "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(Digest("a"), "0CC175B9C0F1B6A831C399E269772661");
  EXPECT_EQ(Digest("abc"), "900150983CD24FB0D6963F7D28E17F72");
  EXPECT_EQ(Digest("message digest"), "F96B697D7CB7938D525A2F31AAF161D0");
  EXPECT_EQ(Digest("abcdefghijklmnopqrstuvwxyz"), "C3FCD3D76192E4007DFB496CCA67E13B");
  EXPECT_EQ(Digest("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
            "D174AB98D277D9F5A5611C2C9F419D9F");
  EXPECT_EQ(Digest("1234567890123456789012345678901234567890123456789012345678901234567890123456"
                   "7890"),
            "57EDF4A22BE3C955AC49DA2E2107B67A");
}

TEST(Md5, RandomInputsMatchOpenSsl) {
  std::mt19937 random(12);
  std::uniform_int_distribution<int> byte(0, 255);
  // Every length around the block and padding boundaries, then some long ones.
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 200; ++n) lengths.push_back(n);
  for (std::size_t n : {511u, 512u, 513u, 4095u, 65536u, 100001u}) lengths.push_back(n);
  for (std::size_t length : lengths) {
    std::vector<std::uint8_t> bytes(length);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(byte(random));
    clsMD5 md5;
    md5.MD5Update(static_cast<std::uint32_t>(bytes.size()), bytes);
    md5.MD5Final();
    ASSERT_EQ(md5.GetValues(), OpenSslDigest(bytes)) << "length " << length;
  }
}

TEST(Md5, SplitUpdatesGiveTheDigestOfOne) {
  std::mt19937 random(7);
  std::vector<std::uint8_t> bytes(300);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  std::string whole = OpenSslDigest(bytes);
  for (std::size_t cut : {0u, 1u, 55u, 56u, 63u, 64u, 65u, 128u, 299u, 300u}) {
    clsMD5 md5;
    md5.MD5Init();
    std::vector<std::uint8_t> head(bytes.begin(), bytes.begin() + cut);
    std::vector<std::uint8_t> tail(bytes.begin() + cut, bytes.end());
    md5.MD5Update(static_cast<std::uint32_t>(head.size()), head);
    md5.MD5Update(static_cast<std::uint32_t>(tail.size()), tail);
    md5.MD5Final();
    EXPECT_EQ(md5.GetValues(), whole) << "cut at " << cut;
  }
}

TEST(Md5, CountSelectsThePrefixAndIsCutToTheArray) {
  auto bytes = clsMD5::StringToArray("abcdef");
  clsMD5 prefix;
  prefix.MD5Update(3, bytes);
  prefix.MD5Final();
  EXPECT_EQ(prefix.GetValues(), Digest("abc"));

  clsMD5 beyond;
  beyond.MD5Update(1000, bytes);
  beyond.MD5Final();
  EXPECT_EQ(beyond.GetValues(), Digest("abcdef"));
}

TEST(Md5, InitStartsAFreshDigestAndBytesAreTheTextsOwn) {
  clsMD5 md5;
  auto bytes = clsMD5::StringToArray("first");
  md5.MD5Update(static_cast<std::uint32_t>(bytes.size()), bytes);
  md5.MD5Final();
  md5.MD5Init();
  bytes = clsMD5::StringToArray("abc");
  md5.MD5Update(3, bytes);
  md5.MD5Final();
  EXPECT_EQ(md5.GetValues(), "900150983CD24FB0D6963F7D28E17F72");

  std::string utf8 = "\xC3\xA4";  // one character, two bytes in UTF-8
  EXPECT_EQ(Digest(utf8), OpenSslDigest({0xC3, 0xA4}));
}

}  // namespace
}  // namespace ringova
