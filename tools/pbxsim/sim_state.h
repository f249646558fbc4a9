#pragma once
// Internals of PbxSimulator shared by its source files: one record per connection, call,
// prompt, offer and subscription. Everything here is touched only by the simulator thread,
// under the simulator's lock.

#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "telvane/net/bsd_socket.h"
#include "telvane/xmlrpc/call_id.h"
#include "telvane/xmlrpc/framing.h"
#include "tools/pbxsim/pbx_simulator.h"
#include "tools/pbxsim/tls_server.h"

namespace telvane::tools::sim {

using Clock = PbxSimulator::Clock;

// Bytes a client may send without a terminator, and bytes it may leave unread, before it is
// dropped.
inline constexpr std::size_t kMaxPendingInput = 16u << 20;
inline constexpr std::size_t kMaxPendingOutput = 64u << 20;
// The upload handshake texts are padded to this length (the peer reads up to 32 bytes).
inline constexpr std::size_t kHandshakeLength = 32;
inline constexpr std::size_t kUploadChunk = 1024;
inline constexpr std::size_t kMaxUpload = 16u << 20;

struct Upload {
  CallId requestId = 0;
  int type = 0;           // kBeginFileTransfer or kConfigurationUpdate
  std::string extension;  // empty for a configuration file
  std::string name;
  std::size_t size = 0;
  std::string data;
};

struct Subscription {
  int kind = 0;
  std::string extension;
};

struct Connection {
  explicit Connection(int id) : id(id) {}
  int id;
  BsdSocket socket{false};
  std::unique_ptr<TlsServerLink> tls;
  MessageFramer framer;
  std::string out;          // written when the socket takes it
  std::size_t outSent = 0;  // bytes of `out` already written
  bool loggedIn = false;
  std::string user;
  std::string extension;
  std::optional<Upload> upload;
  std::deque<int> awaiting;  // types of notifications sent and not yet answered
  std::map<CallId, Subscription> subscriptions;
  bool muted = false;    // an endless message was started: nothing more is written
  bool closing = false;  // dropped at the end of this pass
};

struct Call {
  int connection = 0;
  int state = 0;
  CallId partner = 0;
  bool dtmfDetection = false;
  std::optional<Clock::time_point> answerAt;
};

struct Prompt {
  int connection = 0;
  Clock::time_point endsAt;
};

struct Offer {
  int connection = 0;
  PbxSimulator::OfferDecision decision;
};

}  // namespace telvane::tools::sim
