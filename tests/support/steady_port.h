#pragma once
// A port a test can stop listening on and take again later. Ports the kernel hands out for
// port 0 or an outgoing connection (its ephemeral range) can be taken by any test running
// beside this one in that gap; a port below the range is never handed out.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <random>

namespace testsupport {

// A port below the ephemeral range that is free on 127.0.0.1 now; 0 when none was found.
inline std::uint16_t SteadyPort() {
  int low = 32768;
  std::ifstream("/proc/sys/net/ipv4/ip_local_port_range") >> low;
  if (low <= 10000) return 0;
  std::mt19937 pick{std::random_device{}()};
  std::uniform_int_distribution<int> below(low - 8000, low - 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto port = static_cast<std::uint16_t>(below(pick));
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool free = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    if (free) return port;
  }
  return 0;
}

}  // namespace testsupport
