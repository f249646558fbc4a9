// How a TLS connection judges the server's certificate. A value the session's configuration
// holds; it is applied at every secure connect.
#ifndef TELVANE_NET_TLS_POLICY_H_
#define TELVANE_NET_TLS_POLICY_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace telvane {

// SHA-256 digest of a certificate in its DER form.
using CertificateFingerprint = std::array<std::uint8_t, 32>;

// Upper-case hex pairs separated by colons, as "openssl x509 -fingerprint -sha256" prints them.
std::string FormatFingerprint(const CertificateFingerprint& fingerprint);
// Accepts 64 hex digits, either case, with or without colons between the pairs.
std::optional<CertificateFingerprint> ParseFingerprint(std::string_view text);

struct TlsPolicy {
  enum class Check {
    kAcceptAny,  // any certificate (PBXs commonly present self-signed ones)
    kVerify,     // chain to a trusted root, valid dates, host name (or address) matches
    kPin,        // the certificate's SHA-256 fingerprint equals `pinnedFingerprint`
  };

  Check check = Check::kAcceptAny;
  // kVerify: file of trusted certificates (PEM); empty uses the system trust store.
  std::string caFile;
  // kPin: the expected fingerprint in any form ParseFingerprint accepts.
  std::string pinnedFingerprint;

  static TlsPolicy AcceptAny() { return {}; }
  static TlsPolicy Verify(std::string caFile = {}) {
    return {.check = Check::kVerify, .caFile = std::move(caFile), .pinnedFingerprint = {}};
  }
  static TlsPolicy Pin(std::string fingerprint) {
    return {.check = Check::kPin, .caFile = {}, .pinnedFingerprint = std::move(fingerprint)};
  }
};

}  // namespace telvane

#endif  // TELVANE_NET_TLS_POLICY_H_
