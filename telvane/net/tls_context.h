// The TLS client context of one session: TLS 1.2 or newer, negotiated through OpenSSL's general
// client method. Certificate checks are per connection (TlsPolicy), so one context serves every
// connection of its session.
#ifndef TELVANE_NET_TLS_CONTEXT_H_
#define TELVANE_NET_TLS_CONTEXT_H_

#include <openssl/types.h>

#include <memory>

namespace telvane {

class TlsContext {
 public:
  TlsContext();
  ~TlsContext();
  TlsContext(const TlsContext&) = delete;
  TlsContext& operator=(const TlsContext&) = delete;

  // False when OpenSSL could not create the context; every connect then fails.
  bool IsValid() const { return context_ != nullptr; }
  SSL_CTX* Get() const { return context_.get(); }

 private:
  struct Free {
    void operator()(SSL_CTX* context) const;
  };
  std::unique_ptr<SSL_CTX, Free> context_;
};

}  // namespace telvane

#endif  // TELVANE_NET_TLS_CONTEXT_H_
