#include "telvane/net/tls_policy.h"

#include <gtest/gtest.h>

#include <cctype>

namespace telvane {
namespace {

TEST(TlsPolicy, FingerprintTextRoundTripsInEveryAcceptedForm) {
  CertificateFingerprint fingerprint{};
  for (std::size_t i = 0; i < fingerprint.size(); ++i)
    fingerprint[i] = static_cast<std::uint8_t>(i * 9);
  const std::string text = FormatFingerprint(fingerprint);
  EXPECT_EQ(text.substr(0, 12), "00:09:12:1B:");
  EXPECT_EQ(text.size(), 95u);

  std::string plainLower;
  for (char c : text) {
    if (c != ':') plainLower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  EXPECT_EQ(ParseFingerprint(text), fingerprint);
  EXPECT_EQ(ParseFingerprint(plainLower), fingerprint);
}

TEST(TlsPolicy, MalformedFingerprintsAreRejected) {
  const std::string good(64, 'a');
  EXPECT_TRUE(ParseFingerprint(good));
  EXPECT_FALSE(ParseFingerprint(good.substr(1)));              // too short
  EXPECT_FALSE(ParseFingerprint(good + "a"));                  // too long
  EXPECT_FALSE(ParseFingerprint(std::string(63, 'a') + "g"));  // not hex
  std::string separated = FormatFingerprint(CertificateFingerprint{});
  separated[2] = '-';
  EXPECT_FALSE(ParseFingerprint(separated));  // wrong separator
  EXPECT_FALSE(ParseFingerprint(""));
}

}  // namespace
}  // namespace telvane
