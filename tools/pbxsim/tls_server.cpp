#include "tools/pbxsim/tls_server.h"

#include <openssl/err.h>

#include "telvane/net/socket_bio.h"

namespace telvane::tools {

namespace {

std::string lastOpenSslError(const char* what) {
  char text[256] = "";
  if (unsigned long code = ERR_get_error(); code != 0) ERR_error_string_n(code, text, sizeof text);
  ERR_clear_error();
  return std::string(what) + (text[0] != '\0' ? std::string(": ") + text : std::string());
}

}  // namespace

std::unique_ptr<TlsServerContext> TlsServerContext::Load(const std::string& certFile,
                                                         const std::string& keyFile,
                                                         std::string& error) {
  SSL_CTX* raw = SSL_CTX_new(TLS_server_method());
  if (raw == nullptr) {
    error = lastOpenSslError("cannot create the TLS context");
    return nullptr;
  }
  std::unique_ptr<TlsServerContext> context(new TlsServerContext(raw));
  if (SSL_CTX_use_certificate_chain_file(raw, certFile.c_str()) != 1) {
    error = lastOpenSslError(("cannot load the certificate " + certFile).c_str());
    return nullptr;
  }
  if (SSL_CTX_use_PrivateKey_file(raw, keyFile.c_str(), SSL_FILETYPE_PEM) != 1 ||
      SSL_CTX_check_private_key(raw) != 1) {
    error = lastOpenSslError(("cannot load the key " + keyFile).c_str());
    return nullptr;
  }
  SSL_CTX_set_mode(raw, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  return context;
}

std::unique_ptr<TlsServerLink> TlsServerLink::Attach(const TlsServerContext& context, int handle) {
  SSL* ssl = SSL_new(context.get());
  if (ssl == nullptr) return nullptr;
  std::unique_ptr<TlsServerLink> link(new TlsServerLink(ssl));
  // The library's socket BIO: a write to a peer that has gone never raises SIGPIPE.
  BIO* bio = NewSocketBio(handle);
  if (bio == nullptr) return nullptr;
  SSL_set_bio(ssl, bio, bio);
  SSL_set_accept_state(ssl);
  return link;
}

int TlsServerLink::finish(int result) {
  if (result > 0) {
    wantsWrite_ = false;
    return result;
  }
  switch (SSL_get_error(ssl_.get(), result)) {
    case SSL_ERROR_WANT_READ:
      wantsWrite_ = false;
      return 0;
    case SSL_ERROR_WANT_WRITE:
      wantsWrite_ = true;
      return 0;
    default:
      ERR_clear_error();
      return -1;
  }
}

int TlsServerLink::read(void* buffer, std::size_t size) {
  return finish(SSL_read(ssl_.get(), buffer, static_cast<int>(size)));
}

int TlsServerLink::write(const void* data, std::size_t length) {
  if (length == 0) return 0;
  return finish(SSL_write(ssl_.get(), data, static_cast<int>(length)));
}

}  // namespace telvane::tools
