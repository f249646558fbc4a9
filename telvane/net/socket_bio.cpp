#include "telvane/net/socket_bio.h"

#include <openssl/bio.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdint>

namespace telvane {
namespace {

int HandleOf(BIO* bio) {
  return static_cast<int>(reinterpret_cast<std::intptr_t>(BIO_get_data(bio)));
}

bool IsRetryable(int code) {
  return code == EAGAIN || code == EWOULDBLOCK || code == EINTR;
}

int SocketWrite(BIO* bio, const char* data, int length) {
  BIO_clear_retry_flags(bio);
  const ssize_t sent =
      send(HandleOf(bio), data, static_cast<std::size_t>(length), MSG_NOSIGNAL | MSG_DONTWAIT);
  if (sent < 0 && IsRetryable(errno)) BIO_set_retry_write(bio);
  return static_cast<int>(sent);
}

int SocketRead(BIO* bio, char* buffer, int size) {
  BIO_clear_retry_flags(bio);
  const ssize_t received =
      recv(HandleOf(bio), buffer, static_cast<std::size_t>(size), MSG_DONTWAIT);
  if (received < 0 && IsRetryable(errno)) BIO_set_retry_read(bio);
  return static_cast<int>(received);
}

long SocketControl(BIO* bio, int command, long, void* argument) {
  switch (command) {
    case BIO_CTRL_FLUSH:
      return 1;
    case BIO_C_GET_FD:
      if (argument != nullptr) *static_cast<int*>(argument) = HandleOf(bio);
      return HandleOf(bio);
    default:
      return 0;
  }
}

int SocketCreate(BIO* bio) {
  BIO_set_init(bio, 1);
  return 1;
}

BIO_METHOD* Method() {
  // Created once and kept for the life of the process, as OpenSSL's own methods are.
  static BIO_METHOD* const method = [] {
    BIO_METHOD* made = BIO_meth_new(
        BIO_get_new_index() | BIO_TYPE_SOURCE_SINK | BIO_TYPE_DESCRIPTOR, "telvane socket");
    if (made == nullptr) return made;
    BIO_meth_set_write(made, SocketWrite);
    BIO_meth_set_read(made, SocketRead);
    BIO_meth_set_ctrl(made, SocketControl);
    BIO_meth_set_create(made, SocketCreate);
    return made;
  }();
  return method;
}

}  // namespace

BIO* NewSocketBio(int handle) {
  BIO_METHOD* method = Method();
  if (method == nullptr) return nullptr;
  BIO* bio = BIO_new(method);
  if (bio != nullptr)
    BIO_set_data(bio, reinterpret_cast<void*>(static_cast<std::intptr_t>(handle)));
  return bio;
}

}  // namespace telvane
