#include "telvane/net/tls_context.h"

#include <openssl/ssl.h>

namespace telvane {

void TlsContext::Free::operator()(SSL_CTX* context) const {
  SSL_CTX_free(context);
}

TlsContext::TlsContext() {
  OPENSSL_init_ssl(OPENSSL_INIT_LOAD_SSL_STRINGS | OPENSSL_INIT_LOAD_CRYPTO_STRINGS, nullptr);
  context_.reset(SSL_CTX_new(TLS_client_method()));
  if (!context_) return;
  // Older protocol versions are broken; a server that offers nothing newer is refused.
  if (SSL_CTX_set_min_proto_version(context_.get(), TLS1_2_VERSION) != 1) context_.reset();
}

TlsContext::~TlsContext() = default;

}  // namespace telvane
