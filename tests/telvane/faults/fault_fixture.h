#pragma once
// The control against a simulator that misbehaves, over a plain (false) or a TLS (true)
// connection, with the checks every fault scenario ends with:
//   - each request the host made ended exactly once (RequestLedger),
//   - every wait was bounded (no call blocks beyond its limit, no wait here is unbounded),
//   - no thread of the control outlives it (threads of the process before and after),
//   - the same control connects, logs in and completes a call again (worksAgain).
// Leaks are the sanitizer's business: every test runs in a process of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "tests/telvane/control/sim_fixture.h"
#include "tests/telvane/faults/request_ledger.h"
#include "tests/telvane/net/test_support.h"

namespace telvane::testing {

// The session time-out of every scenario (seconds): short enough that time-outs are cheap, long
// enough for a TLS handshake under a sanitizer.
inline constexpr int kTimeout = 1;

class FaultFixture : public SimFixture, public ::testing::WithParamInterface<bool> {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();

  void SetUp() override;
  void TearDown() override;
  void adjustOptions(tools::PbxSimulator::Options& options) override;

  bool secure() const { return GetParam(); }
  static std::string certFile();
  static std::string keyFile();

  bool login(std::uint16_t port = 0);
  // Runs a simulator command that must succeed.
  void run(const std::string& line);
  // Pumps until the session is back to Idle after a failed login or a close.
  bool waitIdle(std::chrono::milliseconds limit = std::chrono::seconds(5));

  // Asynchronous requests whose answers show as events; each returns its ID.
  std::string trackCall();
  std::string trackSubscription();
  // Runs a synchronous request; it must return within its wait limit.
  bool trackSync(const std::function<bool()>& call);

  // Pumps until every tracked request has ended (bounded), a little longer to catch a second
  // ending, then checks the ledger and the number of Disconnected events.
  void checkEndings(std::size_t minDisconnects, std::size_t maxDisconnects);
  // The control logs in again and completes a call; it leaves the control disconnected.
  void worksAgain();

  RequestLedger ledger_;

 private:
  static inline std::unique_ptr<TempDir> certs_;
  static inline bool certsMade_ = false;
  std::size_t threadsBefore_ = 0;
};

}  // namespace telvane::testing
