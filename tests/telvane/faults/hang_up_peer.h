#pragma once
// A peer on 127.0.0.1 that accepts one connection, waits for the first bytes the client sends
// (a TLS client hello, or a login) and then resets the connection (SO_LINGER 0).
#include <atomic>
#include <cstdint>
#include <thread>

#include "telvane/net/bsd_socket.h"

namespace telvane::testing {

class HangUpPeer {
 public:
  HangUpPeer();
  ~HangUpPeer();  // joins its thread
  HangUpPeer(const HangUpPeer&) = delete;
  HangUpPeer& operator=(const HangUpPeer&) = delete;

  bool listening() const { return port_ != 0; }
  std::uint16_t port() const { return port_; }
  // Whether bytes arrived before the reset.
  bool heardClient() const { return heard_; }

 private:
  void run();

  BsdSocket listener_{false};
  std::uint16_t port_ = 0;
  std::atomic<bool> heard_{false};
  std::thread thread_;
};

}  // namespace telvane::testing
