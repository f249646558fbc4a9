// An OpenSSL BIO over a socket handle that never blocks and never raises SIGPIPE, whatever the
// socket's own mode: the TLS channel does its waiting itself, with time limits. The BIO does not
// own the handle.
#ifndef TELVANE_NET_SOCKET_BIO_H_
#define TELVANE_NET_SOCKET_BIO_H_

#include <openssl/types.h>

namespace telvane {

// A new BIO on `handle`, or null when OpenSSL is out of memory.
BIO* NewSocketBio(int handle);

}  // namespace telvane

#endif  // TELVANE_NET_SOCKET_BIO_H_
