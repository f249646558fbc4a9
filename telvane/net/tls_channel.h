// TlsChannel: one TLS client connection over a connected TCP socket.
//
// All steps run on the calling thread and are bounded by the time limit they are given; the
// channel never blocks beyond it, whatever the socket's mode. The channel does not own the
// socket: the socket must stay open while the channel reads, writes or shuts down. Destroying the
// channel writes nothing, so it may be destroyed after the socket was closed.
#ifndef TELVANE_NET_TLS_CHANNEL_H_
#define TELVANE_NET_TLS_CHANNEL_H_

#include <openssl/types.h>

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "telvane/net/bsd_socket.h"
#include "telvane/net/tls_context.h"
#include "telvane/net/tls_policy.h"

namespace telvane {

class TlsChannel;

struct TlsConnectResult {
  std::unique_ptr<TlsChannel> channel;  // null when the connect failed
  std::string failure;                  // why it failed, for logs; empty on success

  explicit operator bool() const { return channel != nullptr; }
};

class TlsChannel {
  // Only Connect makes channels.
  struct Key {
    explicit Key() = default;
  };
  struct Free {
    void operator()(SSL* ssl) const;
  };
  using SslPointer = std::unique_ptr<SSL, Free>;

 public:
  TlsChannel(Key, SslPointer ssl, int handle) : ssl_(std::move(ssl)), handle_(handle) {}

  // Largest number of bytes one Read returns.
  static constexpr std::size_t kMaxRead = 65535;

  // Runs the client handshake over `socket` and judges the server by `policy`. The connect fails
  // when the handshake fails or takes longer than `limit`, when the server presents no
  // certificate, or when the policy rejects the certificate. `hostName` is the name (or dotted
  // address) the caller connected to: it is sent as the server name and checked under kVerify.
  // On failure after a completed handshake the channel is shut down before it is freed; closing
  // the socket is left to its owner.
  static TlsConnectResult Connect(TlsContext& context, const BsdSocket& socket,
                                  const TlsPolicy& policy, const std::string& hostName,
                                  std::chrono::milliseconds limit);

  ~TlsChannel();
  TlsChannel(const TlsChannel&) = delete;
  TlsChannel& operator=(const TlsChannel&) = delete;

  // Reads what has arrived, at most kMaxRead bytes. > 0: bytes read; 0: nothing to hand out yet
  // (call again when the socket is readable); -1: the server closed the channel or it failed.
  int Read(void* buffer, std::size_t size);
  // Whether decrypted bytes are waiting that a readiness wait on the socket would not show.
  bool HasBufferedData() const;
  // Writes all of `data`, waiting at most `limit` in total; false on failure or time-out.
  bool Write(const void* data, std::size_t length, std::chrono::milliseconds limit);
  // Sends the close notification and, when the first shutdown reports the close unfinished,
  // shuts down once more (waiting at most `limit` for the server's answer). Runs only once.
  void Shutdown(std::chrono::milliseconds limit);

  // SHA-256 fingerprint of the certificate the server presented.
  const CertificateFingerprint& PeerFingerprint() const { return fingerprint_; }
  std::string PeerFingerprintText() const { return FormatFingerprint(fingerprint_); }
  // The negotiated protocol version, such as "TLSv1.3".
  std::string ProtocolVersion() const;

 private:
  SslPointer ssl_;
  int handle_;
  CertificateFingerprint fingerprint_{};
  bool shutDown_ = false;
};

}  // namespace telvane

#endif  // TELVANE_NET_TLS_CHANNEL_H_
