// IPv4 socket addresses as the socket layer stores and passes them.
#ifndef TELVANE_NET_ADDRESS_RECORD_H_
#define TELVANE_NET_ADDRESS_RECORD_H_

#include <netinet/in.h>

#include <cstdint>
#include <string>

namespace telvane {

// One end of a socket: an IPv4 socket address (port and address in network byte order) followed by
// reserved bytes, so the record is large enough for whatever the system fills in when a local
// address is read back. "Empty" means port and address are both 0.
struct AddressRecord {
  sockaddr_in address{.sin_family = AF_INET, .sin_port = 0, .sin_addr = {0}, .sin_zero = {}};
  unsigned char reserved[24] = {};

  bool IsEmpty() const { return address.sin_port == 0 && address.sin_addr.s_addr == 0; }
};

// An IPv4 socket address from an address and a port, both in host byte order.
sockaddr_in MakeSocketAddress(std::uint32_t address, std::uint16_t port);
// 127.0.0.1 with the given port.
sockaddr_in LoopbackAddress(std::uint16_t port);
// Replaces the port (host byte order) of an address.
sockaddr_in WithPort(sockaddr_in address, std::uint16_t port);
// The port in host byte order.
std::uint16_t PortOf(const sockaddr_in& address);
// "a.b.c.d:port", for logs and messages.
std::string FormatAddress(const sockaddr_in& address);

}  // namespace telvane

#endif  // TELVANE_NET_ADDRESS_RECORD_H_
