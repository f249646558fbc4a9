// The control against a PBX that misbehaves, over plain and TLS connections. Every scenario ends
// with the same checks (fault_fixture.h) and with the control working again.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "telvane/xmlrpc/method_table.h"
#include "tests/support/held_port.h"
#include "tests/support/temp_folder.h"
#include "tests/telvane/faults/fault_fixture.h"
#include "tests/telvane/faults/hang_up_peer.h"

namespace telvane::testing {
namespace {

using FaultTest = FaultFixture;

const std::string kHalfAnswer =
    R"(raw <?xml version="1.0"?>\r\n<methodResponse>\r\n<params>\r\n<param>\r\n<value><string>)";

std::string failed(const std::string& id, int code, const std::string& text) {
  return "RequestFailed " + id + " " + std::to_string(code) + " " + text;
}
std::string timedOut(const std::string& id) {
  return failed(id, 100, "Request timeout");
}
std::string closedRemotely(const std::string& id) {
  return failed(id, 102, "Connection closed remotely");
}

TEST_P(FaultTest, PbxClosesInTheMiddleOfAMessage) {
  ASSERT_TRUE(login());
  run("stall on");
  const std::string call = trackCall();
  const std::string subscription = trackSubscription();
  ASSERT_TRUE(sim_->waitForReceived(kSubscribe));
  run(kHalfAnswer);
  run("close");
  checkEndings(1, 1);
  EXPECT_EQ(countEvents(events_, closedRemotely(call)), 1u);
  EXPECT_EQ(countEvents(events_, closedRemotely(subscription)), 1u);
  run("stall off");
  worksAgain();
}

TEST_P(FaultTest, PbxSendsGarbage) {
  ASSERT_TRUE(login());
  run("stall on");
  const std::string waiting = trackSubscription();
  ASSERT_TRUE(sim_->waitForReceived(kSubscribe));
  run("garbage 3000");
  run(R"(raw \r\n\r\n)");
  // Junk is no answer: the request still waits, and times out.
  ASSERT_TRUE(pumpUntilEvent(timedOut(waiting), 5s));
  run("stall off");
  // The connection goes on with whole messages.
  trackCall();
  trackSubscription();
  std::string id, version;
  EXPECT_TRUE(trackSync([&] { return control_->GetSystemInfo(id, version); }));
  EXPECT_EQ(id, "PBXSIM-0001");
  checkEndings(0, 0);
  worksAgain();
}

TEST_P(FaultTest, PbxStartsAMessageItNeverEnds) {
  ASSERT_TRUE(login());
  run("endless");
  const std::string subscription = trackSubscription();
  std::string id, version;
  EXPECT_FALSE(trackSync([&] { return control_->GetSystemInfo(id, version); }));
  checkEndings(0, 0);
  EXPECT_EQ(countEvents(events_, timedOut(subscription)), 1u);
  EXPECT_TRUE(control_->Disconnect());
  worksAgain();
}

TEST_P(FaultTest, MessageBeyondTheReceiveLimitDropsTheConnection) {
  ASSERT_TRUE(login());
  run("stall on");
  trackSubscription();
  ASSERT_TRUE(sim_->waitForReceived(kSubscribe));
  run(R"(raw <?xml version="1.0"?>\r\n<methodCall>\r\n<methodName>x</methodName><params><value>)");
  // 16 MiB more without a terminator (the simulator's bytes are the same on every run): the
  // session gives up on the peer instead of buffering on.
  run("garbage 16777216");
  EXPECT_TRUE(pumpUntilEvent("Disconnected", 20s));
  // The waiting request ends once, by its time-out or by the drop, whichever comes first.
  checkEndings(1, 1);
  run("stall off");
  worksAgain();
}

TEST_P(FaultTest, PbxStalls) {
  run("stall on");
  EXPECT_FALSE(login());  // the login times out
  ASSERT_TRUE(waitIdle());
  pumpFor(50ms);
  EXPECT_TRUE(events_.empty());

  run("stall off");
  ASSERT_TRUE(login());
  run("stall on");
  const std::string call = trackCall();
  const std::string subscription = trackSubscription();
  std::string id, version;
  EXPECT_FALSE(trackSync([&] { return control_->GetSystemInfo(id, version); }));
  checkEndings(0, 0);
  EXPECT_EQ(countEvents(events_, timedOut(call)), 1u);
  EXPECT_EQ(countEvents(events_, timedOut(subscription)), 1u);
  run("stall off");
  worksAgain();
}

TEST_P(FaultTest, PbxAnswersEveryRequestWithAFault) {
  run("fault authenticate 9 Denied");
  EXPECT_FALSE(login());
  ASSERT_TRUE(waitIdle());
  run("fault authenticate off");
  ASSERT_TRUE(login());
  const char* const methods[] = {"createcall",   "subscribe",         "getsysteminfo",
                                 "getfileslist", "beginfiletransfer", "configurationupdate",
                                 "deletefile"};
  for (const char* method : methods) run(std::string("fault ") + method + " 7 Refused");

  trackCall();
  trackSubscription();
  std::string id, version;
  EXPECT_TRUE(trackSync([&] { return control_->GetSystemInfo(id, version); }));
  EXPECT_EQ(id, "(Failed)");
  std::string list = "stale";
  EXPECT_FALSE(trackSync([&] { return control_->GetWAVFiles("101", list); }));
  EXPECT_EQ(list, "");
  EXPECT_FALSE(trackSync([&] { return control_->DeleteFile("101", "a.wav"); }));
  testsupport::TempFolder folder;
  const auto path = folder.path() / "prompt.wav";
  std::ofstream(path) << std::string(3000, 'p');
  EXPECT_FALSE(trackSync([&] { return control_->TransferFile("101", path.string()); }));
  EXPECT_FALSE(trackSync([&] { return control_->UpdateConfiguration(path.string()); }));
  checkEndings(0, 0);
  EXPECT_EQ(countEvents(events_, failed("0", 7, "Refused")), 2u);

  for (const char* method : methods) run(std::string("fault ") + method + " off");
  worksAgain();
}

TEST_P(FaultTest, PbxFloodsNotificationsWhileTheHostIsSlow) {
  constexpr std::size_t kFlood = 400;
  const std::string flooded = "CallStateChanged 77 1";
  eventHook_ = [&](const std::string& line) {
    if (line == flooded) std::this_thread::sleep_for(1ms);
  };
  ASSERT_TRUE(login());
  trackSubscription();
  run("flood " + std::to_string(kFlood) + " 77");
  std::this_thread::sleep_for(300ms);  // the host comes late to its pump
  // Notifications wait while a synchronous call runs; its answer still gets through.
  std::string id, version;
  EXPECT_TRUE(trackSync([&] { return control_->GetSystemInfo(id, version); }));
  trackCall();
  EXPECT_TRUE(pumpUntil([&] { return countEvents(events_, flooded) >= kFlood; }, 20s));
  checkEndings(0, 0);
  EXPECT_EQ(countEvents(events_, flooded), kFlood);
  eventHook_ = nullptr;
  worksAgain();
}

TEST_P(FaultTest, PbxClosesDuringAnUpload) {
  ASSERT_TRUE(login());
  testsupport::TempFolder folder;
  const auto path = folder.path() / "prompt.wav";
  std::ofstream(path) << std::string(std::size_t{4} << 20, 'p');
  auto uploadStarted = [this] {
    for (const std::string& line : trace_.lines()) {
      if (line.find("\"kind\":\"upload\"") != std::string::npos) return true;
    }
    return false;
  };
  std::thread closer([&] {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!uploadStarted() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(1ms);
    }
    sim_->command("close");
  });
  EXPECT_FALSE(trackSync([&] { return control_->TransferFile("101", path.string()); }));
  closer.join();
  checkEndings(1, 1);
  EXPECT_FALSE(sim_->file("101", "prompt.wav").has_value());

  // A PBX that never gives the go-ahead: nothing is uploaded and the request times out.
  ASSERT_TRUE(waitIdle());
  events_.clear();
  ledger_.clear();
  ASSERT_TRUE(login());
  run("stall on");
  EXPECT_FALSE(trackSync([&] { return control_->UpdateConfiguration(path.string()); }));
  checkEndings(0, 0);
  run("stall off");
  worksAgain();
}

TEST_P(FaultTest, HandshakeOrLoginIsCutOff) {
  // Nobody listening: refused at once, with no time-out to wait for.
  const testsupport::ClosedPort closed;
  EXPECT_FALSE(login(closed.port()));
  ASSERT_TRUE(waitIdle());
  {
    // Reset after the client's first bytes: its TLS hello, or its login.
    HangUpPeer peer;
    ASSERT_TRUE(peer.listening());
    EXPECT_FALSE(login(peer.port()));
  }
  ASSERT_TRUE(waitIdle());
  if (secure()) {
    // A plain server never answers the TLS hello.
    tools::PbxSimulator plain(tools::PbxSimulator::Options{});
    ASSERT_TRUE(plain.start()) << plain.error();
    EXPECT_FALSE(login(plain.port()));
    ASSERT_TRUE(waitIdle());
  }
  // A remote close while logging in is reported once, as any remote close.
  checkEndings(0, 1);
  worksAgain();
}

TEST_P(FaultTest, PbxClosesRightAfterTheLogin) {
  run("stall on");
  std::thread closer([this] {
    if (sim_->waitForReceived(kAuthenticate, 1, 5s)) sim_->command("close");
  });
  EXPECT_FALSE(login());
  closer.join();
  run("stall off");
  ASSERT_TRUE(waitIdle());
  checkEndings(0, 1);
  worksAgain();
}

TEST_P(FaultTest, ControlGoesWhileTheReceiveThreadWaitsForTheHost) {
  ASSERT_TRUE(login());
  run("flood 1000 77");
  // The host does not pump: the first notification holds the receive thread.
  ASSERT_TRUE(sim_->waitForSent(1000));
  const auto start = std::chrono::steady_clock::now();
  control_.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s) << "teardown waited for the host";
  EXPECT_TRUE(sim_->waitUntil([](const auto& c) { return c.openConnections == 0; }));
  // Whatever the dispatcher still holds belongs to no control any more.
  dispatcher_.pump();
  createControl();
  ASSERT_TRUE(control_->SetConnectionMode(secure()));
  worksAgain();
}

INSTANTIATE_TEST_SUITE_P(PlainAndTls, FaultTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Tls" : "Plain"; });

}  // namespace
}  // namespace telvane::testing
