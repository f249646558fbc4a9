#include "telvane/net/address_record.h"

#include <arpa/inet.h>

namespace telvane {

sockaddr_in MakeSocketAddress(std::uint32_t address, std::uint16_t port) {
  sockaddr_in result{};
  result.sin_family = AF_INET;
  result.sin_port = htons(port);
  result.sin_addr.s_addr = htonl(address);
  return result;
}

sockaddr_in LoopbackAddress(std::uint16_t port) {
  return MakeSocketAddress(INADDR_LOOPBACK, port);
}

sockaddr_in WithPort(sockaddr_in address, std::uint16_t port) {
  address.sin_port = htons(port);
  return address;
}

std::uint16_t PortOf(const sockaddr_in& address) {
  return ntohs(address.sin_port);
}

std::string FormatAddress(const sockaddr_in& address) {
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
  return std::string(text) + ":" + std::to_string(PortOf(address));
}

}  // namespace telvane
