#pragma once
// A raw client of the simulator for tests: plain or TLS, it writes messages and bytes and reads
// framed messages or a given number of bytes, each read bounded by a time limit.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "telvane/net/bsd_socket.h"
#include "telvane/net/tls_channel.h"
#include "telvane/net/tls_context.h"
#include "telvane/xmlrpc/framing.h"
#include "telvane/xmlrpc/xmlrpc_method.h"
#include "tools/pbxsim/pbx_simulator.h"

namespace telvane::tools::testing {

using namespace std::chrono_literals;

class SimClient {
 public:
  // Connects to 127.0.0.1:port; with `tls`, runs the TLS handshake too.
  bool connect(std::uint16_t port, bool tls = false);
  bool send(const XmlRpcMethod& message);
  bool sendBytes(std::string_view bytes);
  // The next framed message (without terminator), or nothing within `limit`.
  std::optional<std::string> next(std::chrono::milliseconds limit = 5s);
  // Exactly `count` bytes (framed or not), or nothing within `limit`.
  std::optional<std::string> readBytes(std::size_t count, std::chrono::milliseconds limit = 5s);
  // True when the simulator closed the connection within `limit`.
  bool closedByPeer(std::chrono::milliseconds limit = 5s);
  // "authenticate" as user 101 with password "secret" (or the given ones); true when accepted.
  bool login(std::string_view user = "101", std::string_view password = "secret");
  // Sends `request` and parses the next message as its answer.
  std::unique_ptr<XmlRpcResponseMethod> call(const XmlRpcRequestMethod& request);
  // Reads the next message as a method call from the simulator and answers it with the plain
  // response, as the control does; null when none came.
  std::unique_ptr<XmlRpcRequestMethod> nextCall(std::chrono::milliseconds limit = 5s,
                                                bool answer = true);

 private:
  // Appends what arrives within `limit` to the framer; false on close or time-out.
  bool fill(std::chrono::milliseconds limit);
  BsdSocket socket_{false};
  TlsContext tlsContext_;
  std::unique_ptr<TlsChannel> tls_;
  MessageFramer framer_;
  bool closed_ = false;
};

}  // namespace telvane::tools::testing
