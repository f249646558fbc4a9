#include "telvane/net/tls_channel.h"

#include <arpa/inet.h>
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <algorithm>
#include <climits>
#include <optional>

#include "telvane/net/readiness.h"
#include "telvane/net/socket_bio.h"

namespace telvane {
namespace {

using Clock = std::chrono::steady_clock;

// Repeats one TLS step until it returns a positive result, fails, or the deadline passes; waits
// for the socket whenever the step asks for it. Returns the step's last result (<= 0: failed).
template <typename Step>
int Drive(SSL* ssl, int handle, Clock::time_point deadline, Step step) {
  for (;;) {
    ERR_clear_error();
    const int result = step();
    if (result > 0) return result;
    const int error = SSL_get_error(ssl, result);
    if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) return result;
    if (WaitForHandle(handle, error == SSL_ERROR_WANT_WRITE, TimeLeft(deadline)) <= 0) return -1;
  }
}

std::string OpenSslFailure(const char* what) {
  std::string text = what;
  const unsigned long code = ERR_peek_last_error();
  if (code != 0) {
    char detail[256] = {};
    ERR_error_string_n(code, detail, sizeof detail);
    text += ": ";
    text += detail;
  }
  return text;
}

bool IsDottedAddress(const std::string& host) {
  in_addr parsed{};
  return inet_pton(AF_INET, host.c_str(), &parsed) == 1;
}

// Sets up the checks of kVerify on `ssl`; returns a failure text, or nothing when all is set.
std::optional<std::string> PrepareVerify(SSL* ssl, const TlsPolicy& policy,
                                         const std::string& host) {
  if (host.empty()) return "no host name to verify the certificate against";
  X509_STORE* store = X509_STORE_new();
  if (store == nullptr) return "out of memory";
  const bool loaded = policy.caFile.empty()
                          ? X509_STORE_set_default_paths(store) == 1
                          : X509_STORE_load_file(store, policy.caFile.c_str()) == 1;
  if (!loaded) {
    X509_STORE_free(store);
    return OpenSslFailure(
        ("cannot load trusted certificates from \"" + policy.caFile + "\"").c_str());
  }
  SSL_set0_verify_cert_store(ssl, store);
  const bool named = IsDottedAddress(host)
                         ? X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.c_str()) == 1
                         : SSL_set1_host(ssl, host.c_str()) == 1;
  if (!named) return "cannot check the host name \"" + host + "\"";
  SSL_set_verify(ssl, SSL_VERIFY_PEER, nullptr);
  return std::nullopt;
}

}  // namespace

void TlsChannel::Free::operator()(SSL* ssl) const {
  SSL_free(ssl);
}

TlsConnectResult TlsChannel::Connect(TlsContext& context, const BsdSocket& socket,
                                     const TlsPolicy& policy, const std::string& hostName,
                                     std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  auto failed = [](std::string why) { return TlsConnectResult{nullptr, std::move(why)}; };
  if (!context.IsValid()) return failed("no TLS context");
  const int handle = socket.GetHandle();
  if (handle < 0) return failed("no connection");

  std::optional<CertificateFingerprint> pinned;
  if (policy.check == TlsPolicy::Check::kPin) {
    pinned = ParseFingerprint(policy.pinnedFingerprint);
    if (!pinned) return failed("the pinned fingerprint is not a SHA-256 fingerprint");
  }

  SslPointer ssl(SSL_new(context.Get()));
  BIO* bio = ssl ? NewSocketBio(handle) : nullptr;
  if (bio == nullptr) return failed("out of memory");
  SSL_set_bio(ssl.get(), bio, bio);
  SSL_set_mode(ssl.get(), SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  if (!hostName.empty() && !IsDottedAddress(hostName)) {
    SSL_set_tlsext_host_name(ssl.get(), hostName.c_str());
  }
  if (policy.check == TlsPolicy::Check::kVerify) {
    if (auto why = PrepareVerify(ssl.get(), policy, hostName)) return failed(*why);
  }

  auto channel = std::make_unique<TlsChannel>(Key(), std::move(ssl), handle);
  SSL* const raw = channel->ssl_.get();
  if (Drive(raw, handle, deadline, [raw] { return SSL_connect(raw); }) <= 0) {
    const long verified = SSL_get_verify_result(raw);
    channel->shutDown_ = true;  // never completed, so nothing to close
    if (policy.check == TlsPolicy::Check::kVerify && verified != X509_V_OK) {
      return failed(std::string("certificate rejected: ") +
                    X509_verify_cert_error_string(verified));
    }
    return failed(TimeLeft(deadline).count() == 0 ? "TLS handshake timed out"
                                                  : OpenSslFailure("TLS handshake failed"));
  }

  // From here on the handshake is complete: a rejected channel is shut down before it is freed.
  auto rejected = [&](std::string why) {
    channel->Shutdown(std::chrono::milliseconds(0));
    return failed(std::move(why));
  };
  X509* certificate = SSL_get1_peer_certificate(raw);
  if (certificate == nullptr) return rejected("the server presented no certificate");
  unsigned int length = 0;
  const bool digested =
      X509_digest(certificate, EVP_sha256(), channel->fingerprint_.data(), &length) == 1 &&
      length == channel->fingerprint_.size();
  X509_free(certificate);
  if (!digested) return rejected("cannot compute the certificate fingerprint");

  if (policy.check == TlsPolicy::Check::kVerify && SSL_get_verify_result(raw) != X509_V_OK) {
    return rejected(std::string("certificate rejected: ") +
                    X509_verify_cert_error_string(SSL_get_verify_result(raw)));
  }
  if (pinned && CRYPTO_memcmp(pinned->data(), channel->fingerprint_.data(), pinned->size()) != 0) {
    return rejected("certificate fingerprint " + channel->PeerFingerprintText() +
                    " is not the pinned one");
  }
  return TlsConnectResult{std::move(channel), {}};
}

TlsChannel::~TlsChannel() = default;

int TlsChannel::Read(void* buffer, std::size_t size) {
  size = std::min(size, kMaxRead);
  if (size == 0) return 0;
  ERR_clear_error();
  const int result = SSL_read(ssl_.get(), buffer, static_cast<int>(size));
  if (result > 0) return result;
  const int error = SSL_get_error(ssl_.get(), result);
  return error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE ? 0 : -1;
}

bool TlsChannel::HasBufferedData() const {
  return SSL_pending(ssl_.get()) > 0;
}

bool TlsChannel::Write(const void* data, std::size_t length, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  const auto* bytes = static_cast<const char*>(data);
  SSL* const ssl = ssl_.get();
  while (length > 0) {
    const int chunk = static_cast<int>(std::min<std::size_t>(length, INT_MAX));
    if (Drive(ssl, handle_, deadline, [&] { return SSL_write(ssl, bytes, chunk); }) <= 0) {
      return false;
    }
    bytes += chunk;
    length -= static_cast<std::size_t>(chunk);
  }
  return true;
}

void TlsChannel::Shutdown(std::chrono::milliseconds limit) {
  if (shutDown_) return;
  shutDown_ = true;
  const auto deadline = Clock::now() + limit;
  SSL* const ssl = ssl_.get();
  // 1: closed both ways; 0: our notification is out and the server's has not arrived yet.
  int result = Drive(ssl, handle_, deadline, [ssl] { return SSL_shutdown(ssl); });
  if (result == 0) Drive(ssl, handle_, deadline, [ssl] { return SSL_shutdown(ssl); });
}

std::string TlsChannel::ProtocolVersion() const {
  return SSL_get_version(ssl_.get());
}

}  // namespace telvane
