#include "tests/telvane/faults/hang_up_peer.h"

#include <sys/socket.h>

#include <chrono>

#include "telvane/net/address_record.h"
#include "telvane/net/readiness.h"

namespace telvane::testing {

namespace {

constexpr std::chrono::seconds kWaitLimit(5);

}  // namespace

HangUpPeer::HangUpPeer() {
  if (!listener_.OpenTcp(true, LoopbackAddress(0))) return;
  port_ = listener_.GetSelfPort();
  thread_ = std::thread([this] { run(); });
}

HangUpPeer::~HangUpPeer() {
  if (thread_.joinable()) thread_.join();
}

void HangUpPeer::run() {
  if (WaitForHandle(listener_.GetHandle(), false, kWaitLimit) <= 0) return;
  BsdSocket client(false);
  if (listener_.Accept(client) != 1) return;
  if (WaitForHandle(client.GetHandle(), false, kWaitLimit) > 0) {
    char bytes[512];
    heard_ = client.Receive(bytes, sizeof bytes, 0, 0) > 0;
  }
  // Close at once with a reset, not an orderly end.
  const linger reset{.l_onoff = 1, .l_linger = 0};
  client.SetOption(SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  client.Close();
  listener_.Close();
}

}  // namespace telvane::testing
