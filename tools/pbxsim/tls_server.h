#pragma once
// The simulator's TLS server side: a context loaded from a certificate and key file, and one
// non-blocking server link per accepted connection. The handshake runs inside the first reads
// and writes, so the simulator's loop drives it like any other traffic.

#include <openssl/ssl.h>

#include <cstddef>
#include <memory>
#include <string>

namespace telvane::tools {

class TlsServerContext {
 public:
  // Null, with `error` set, when the files do not load or do not match.
  static std::unique_ptr<TlsServerContext> Load(const std::string& certFile,
                                                const std::string& keyFile, std::string& error);
  SSL_CTX* get() const { return context_.get(); }

 private:
  struct Free {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
  };
  explicit TlsServerContext(SSL_CTX* context) : context_(context) {}
  std::unique_ptr<SSL_CTX, Free> context_;
};

// One TLS connection over a non-blocking socket it does not own.
class TlsServerLink {
 public:
  // Null when OpenSSL cannot make the connection object.
  static std::unique_ptr<TlsServerLink> Attach(const TlsServerContext& context, int handle);

  // > 0 bytes read; 0 nothing yet (the handshake or a record is incomplete); -1 closed or failed.
  int read(void* buffer, std::size_t size);
  // Bytes written (0 when it must wait for the socket); -1 on failure.
  int write(const void* data, std::size_t length);
  // The last read or write is waiting for the socket to become writable.
  bool wantsWrite() const { return wantsWrite_; }

 private:
  struct Free {
    void operator()(SSL* ssl) const { SSL_free(ssl); }
  };
  explicit TlsServerLink(SSL* ssl) : ssl_(ssl) {}
  int finish(int result);
  std::unique_ptr<SSL, Free> ssl_;
  bool wantsWrite_ = false;
};

}  // namespace telvane::tools
