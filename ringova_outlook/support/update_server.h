#pragma once
// Where the update check looks: the update server's host and FTP port.
//
// The host is the RINGOVA_UPDATE_SERVER build option. The machine store may
// name another server (an organisation's mirror of the update folder, or a
// test server) as text "host" or "host:port" in the value "UpdateServer" of
// the key "SOFTWARE\RingovaAddIn".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/registry.h"

namespace ringova {

inline constexpr std::string_view kUpdateServerKey = "SOFTWARE\\RingovaAddIn";
inline constexpr std::string_view kUpdateServerValue = "UpdateServer";

struct UpdateServer {
  std::string host;
  std::uint16_t port = 0;  // 0: FTP's own port

  // The server as it is written in addresses: the host, with ":port" when
  // the port is not FTP's own.
  std::string Name() const;
  bool operator==(const UpdateServer&) const = default;
};

// Letters, digits, "-", "." and "_" (not first "-" or "."), or an IPv6
// address in brackets: nothing that could end an address's host part.
bool IsValidHostName(std::string_view host);

// The build's server.
UpdateServer DefaultUpdateServer();

// "host" or "host:port" (port 1 to 65535, host as IsValidHostName); nothing
// for other text.
std::optional<UpdateServer> ParseUpdateServer(std::string_view text);

// The machine store's server when it names a valid one, else the build's.
UpdateServer ConfiguredUpdateServer(const platform::Registry& machine);

}  // namespace ringova
