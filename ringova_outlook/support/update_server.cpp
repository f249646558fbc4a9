#include "ringova_outlook/support/update_server.h"

#include <charconv>

#include "platform/outlook/text_util.h"

#ifndef RINGOVA_UPDATE_SERVER
#define RINGOVA_UPDATE_SERVER "ftp.ringova.com"
#endif

namespace ringova {
namespace {

bool IsHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_';
}

bool IsIpv6Char(char c) {
  return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || (c >= '0' && c <= '9') || c == ':' ||
         c == '.';
}

}  // namespace

// The host is pasted into an FTP address, so nothing that could end it or
// start a user name, a path or a query gets through.
bool IsValidHostName(std::string_view host) {
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
    std::string_view inner = host.substr(1, host.size() - 2);
    for (char c : inner) {
      if (!IsIpv6Char(c)) return false;
    }
    return true;
  }
  if (host.empty() || host.size() > 253 || host.front() == '-' || host.front() == '.') return false;
  for (char c : host) {
    if (!IsHostChar(c)) return false;
  }
  return true;
}

std::string UpdateServer::Name() const {
  if (port == 0 || port == 21) return host;
  return host + ":" + std::to_string(port);
}

UpdateServer DefaultUpdateServer() {
  return {RINGOVA_UPDATE_SERVER, 0};
}

std::optional<UpdateServer> ParseUpdateServer(std::string_view text) {
  text = platform::outlook::TrimBlanks(text);
  std::string_view host = text;
  std::uint16_t port = 0;
  std::size_t colon = text.rfind(':');
  std::size_t bracket = text.rfind(']');
  if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
    host = text.substr(0, colon);
    std::string_view digits = text.substr(colon + 1);
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (ec != std::errc() || end != digits.data() + digits.size() || port == 0) {
      return std::nullopt;
    }
  }
  if (!IsValidHostName(host)) return std::nullopt;
  return UpdateServer{std::string(host), port};
}

UpdateServer ConfiguredUpdateServer(const platform::Registry& machine) {
  if (std::optional<std::string> text = machine.getString(kUpdateServerKey, kUpdateServerValue)) {
    if (std::optional<UpdateServer> server = ParseUpdateServer(*text)) return *server;
  }
  return DefaultUpdateServer();
}

}  // namespace ringova
