#include "telvane/net/tls_policy.h"

namespace telvane {
namespace {

int HexValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  return -1;
}

}  // namespace

std::string FormatFingerprint(const CertificateFingerprint& fingerprint) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(fingerprint.size() * 3);
  for (std::uint8_t byte : fingerprint) {
    if (!text.empty()) text += ':';
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0f];
  }
  return text;
}

std::optional<CertificateFingerprint> ParseFingerprint(std::string_view text) {
  const bool separated = text.size() == 32 * 3 - 1;
  if (!separated && text.size() != 32 * 2) return std::nullopt;
  CertificateFingerprint fingerprint{};
  const std::size_t stride = separated ? 3 : 2;
  for (std::size_t i = 0; i < fingerprint.size(); ++i) {
    const std::size_t at = i * stride;
    const int high = HexValue(text[at]);
    const int low = HexValue(text[at + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    if (separated && i + 1 < fingerprint.size() && text[at + 2] != ':') return std::nullopt;
    fingerprint[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return fingerprint;
}

}  // namespace telvane
