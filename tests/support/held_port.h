#pragma once
// Ports of 127.0.0.1 held for as long as the object lives, so no other socket can take them: a
// port that was merely freed again can be taken at once by a test running beside this one, or
// even by the connecting socket itself (TCP lets a socket connect to itself).

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace testsupport {

class HeldPort {
 public:
  std::uint16_t port() const { return port_; }  // 0 when no port could be had

  ~HeldPort() {
    if (fd_ >= 0) ::close(fd_);
  }
  HeldPort(const HeldPort&) = delete;
  HeldPort& operator=(const HeldPort&) = delete;

 protected:
  explicit HeldPort(bool listening) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        (!listening || ::listen(fd_, 4) == 0) &&
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
      port_ = ntohs(address.sin_port);
    }
  }

 private:
  int fd_;
  std::uint16_t port_ = 0;
};

// Bound, never listening: every connection is refused.
class ClosedPort : public HeldPort {
 public:
  ClosedPort() : HeldPort(false) {}
};

// Listening, never accepting: connections complete, but no server speaks.
class SilentListener : public HeldPort {
 public:
  SilentListener() : HeldPort(true) {}
};

}  // namespace testsupport
