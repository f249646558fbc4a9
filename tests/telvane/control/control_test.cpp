// The control through its C++ interface, against the simulator.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "telvane/protocol/system_service.h"
#include "telvane/xmlrpc/call_id.h"
#include "telvane/xmlrpc/method_table.h"
#include "tests/telvane/control/sim_fixture.h"

namespace telvane::testing {
namespace {

using ControlTest = SimFixture;

TEST_F(ControlTest, MethodsBeforeLoginFail) {
  EXPECT_EQ(control_->CreateCall("system", "pbx:101", "Ringova"), "0");
  EXPECT_EQ(control_->SubscribeToCDR(), "0");
  EXPECT_FALSE(control_->CloseCall("1"));
  EXPECT_FALSE(control_->Disconnect());
  std::string list = "stale";
  EXPECT_FALSE(control_->GetWAVFiles("101", list));
  EXPECT_EQ(list, "");
  std::string id = "keep", version = "keep";
  EXPECT_FALSE(control_->GetSystemInfo(id, version));
  EXPECT_EQ(id, "keep");
  EXPECT_EQ(version, "keep");
  EXPECT_FALSE(control_->Connect("127.0.0.1", port(), 2, "101", "wrong"));
  pumpFor(100ms);
  EXPECT_TRUE(events_.empty());
}

TEST_F(ControlTest, CallStatesCarryTheCallIdCreateCallReturned) {
  ASSERT_TRUE(connect());
  EXPECT_FALSE(control_->SetConnectionMode(true));  // not while connected
  const std::string id = control_->CreateCall("system", "pbx:101", "Ringova");
  ASSERT_NE(id, "0");
  EXPECT_EQ(formatId(parseId(id)), id);
  ASSERT_TRUE(pumpUntilEvent("CallStateChanged " + id + " 2"));
  EXPECT_TRUE(hasEvent("CallStateChanged " + id + " 1"));
  EXPECT_EQ(control_->CreateCall("system", "", "x"), "0");  // not a party
}

TEST_F(ControlTest, CallIdTextsAreReadDigitByDigit) {
  ASSERT_TRUE(connect());
  EXPECT_TRUE(control_->CloseCall("12a"));
  EXPECT_TRUE(control_->CloseCall(""));
  ASSERT_TRUE(sim_->waitForReceived(kCloseCall, 2));
  auto closes = received("closecall");
  ASSERT_EQ(closes.size(), 2u);
  EXPECT_NE(closes[0].find("\"169\""), std::string::npos) << closes[0];
  EXPECT_NE(closes[1].find("\"0\""), std::string::npos) << closes[1];
}

TEST_F(ControlTest, StateSixRaisesErrorOccuredFirst) {
  ASSERT_TRUE(connect());
  ASSERT_TRUE(sim_->sendState(77, 6, 3));
  ASSERT_TRUE(pumpUntilEvent("CallStateChanged 77 6"));
  EXPECT_EQ(events_, (std::vector<std::string>{"ErrorOccured 77 3", "CallStateChanged 77 6"}));
  events_.clear();
  ASSERT_TRUE(sim_->sendState(78, 2));
  ASSERT_TRUE(pumpUntilEvent("CallStateChanged 78 2"));
  EXPECT_EQ(events_.size(), 1u);
}

TEST_F(ControlTest, AFaultAnswerRaisesRequestFailedWithCallIdZero) {
  ASSERT_TRUE(connect());
  sim_->command("fault closecall 42 No such call");
  EXPECT_TRUE(control_->CloseCall("5"));
  ASSERT_TRUE(pumpUntilEvent("RequestFailed 0 42 No such call"));
}

TEST_F(ControlTest, SystemInfoAndItsFault) {
  ASSERT_TRUE(connect());
  std::string id, version;
  ASSERT_TRUE(control_->GetSystemInfo(id, version));
  EXPECT_EQ(id, "PBXSIM-0001");
  EXPECT_EQ(version, "Sim-5.1.26-PBX");
  sim_->command("fault getsysteminfo 7 broken");
  ASSERT_TRUE(control_->GetSystemInfo(id, version));
  EXPECT_EQ(id, "(Failed)");
  EXPECT_EQ(version, "(Failed)");
  pumpFor(100ms);
  EXPECT_TRUE(eventsStartingWith("RequestFailed").empty());
}

TEST_F(ControlTest, PromptFilesUploadListAndDelete) {
  ASSERT_TRUE(connect());
  const auto path = std::filesystem::temp_directory_path() /
                    ("telvane-control-" + std::to_string(getpid()) + "-hello.wav");
  std::ofstream(path) << std::string(3000, 'x');
  EXPECT_TRUE(control_->TransferFile("101", path.string()));
  std::string list;
  ASSERT_TRUE(control_->GetWAVFiles("101", list));
  EXPECT_NE(list.find(path.filename().string() + ":"), std::string::npos) << list;
  EXPECT_TRUE(control_->DeleteFile("101", path.filename().string()));
  ASSERT_TRUE(control_->GetWAVFiles("101", list));
  EXPECT_EQ(list.find(path.filename().string()), std::string::npos) << list;
  EXPECT_TRUE(control_->UpdateConfiguration(path.string()));
  std::filesystem::remove(path);
  EXPECT_FALSE(control_->TransferFile("101", path.string()));  // gone: refused at once
}

// The mended fault: a state report sent just before the answer to GetSystemInfo. The method
// gets its answer in time, and the event follows once it has returned.
TEST_F(ControlTest, ANotificationDuringASynchronousMethodWaitsForItsReturn) {
  ASSERT_TRUE(connect());
  sim_->command("stall on");
  GetSystemInfoResponseMethod answer;
  answer.setResult(1, "SIM-LATE", "9.9");
  std::string wire;
  ASSERT_TRUE(answer.serialize(wire));
  std::string escaped;
  for (char c : wire) {
    if (c == '\r') {
      escaped += "\\r";
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (c == '\\') {
      escaped += "\\\\";
    } else {
      escaped += c;
    }
  }
  std::thread pbx([&] {
    ASSERT_TRUE(sim_->waitForReceived(kGetSystemInfo));
    sim_->sendState(55, 2);
    sim_->command("raw " + escaped);
  });
  std::vector<std::string> log;
  control_->advise(control_->getEventIDsOfNames("callstatechanged"),
                   [&](const std::vector<platform::Variant>&) { log.push_back("event"); });
  std::string id, version;
  auto started = std::chrono::steady_clock::now();
  bool ok = control_->GetSystemInfo(id, version);
  log.push_back("returned");
  auto took = std::chrono::steady_clock::now() - started;
  pbx.join();
  EXPECT_TRUE(ok);
  EXPECT_EQ(id, "SIM-LATE");
  EXPECT_EQ(version, "9.9");
  EXPECT_LT(took, 2s);                                   // far below the wait limit of 7 s
  EXPECT_EQ(log, std::vector<std::string>{"returned"});  // nothing raised inside the method
  ASSERT_TRUE(pumpUntilEvent("CallStateChanged 55 2"));
  EXPECT_EQ(log, (std::vector<std::string>{"returned", "event"}));
  EXPECT_EQ(events_, std::vector<std::string>{"CallStateChanged 55 2"});
}

TEST_F(ControlTest, DisconnectRaisesNothingButARemoteCloseRaisesOneDisconnected) {
  ASSERT_TRUE(connect());
  EXPECT_TRUE(control_->Disconnect());
  pumpFor(100ms);
  EXPECT_TRUE(eventsStartingWith("Disconnected").empty());
  ASSERT_TRUE(connect());
  sim_->command("close");
  ASSERT_TRUE(pumpUntilEvent("Disconnected"));
  pumpFor(200ms);
  EXPECT_EQ(eventsStartingWith("Disconnected").size(), 1u);
  EXPECT_EQ(control_->CreateCall("system", "pbx:101", "x"), "0");
}

TEST_F(ControlTest, ARemoteCloseFailsOutstandingRequestsFirst) {
  ASSERT_TRUE(connect());
  sim_->command("stall on");
  EXPECT_TRUE(control_->CloseCall("1"));
  EXPECT_TRUE(control_->CloseCall("2"));
  ASSERT_TRUE(sim_->waitForReceived(kCloseCall, 2));
  sim_->command("close");
  ASSERT_TRUE(pumpUntilEvent("Disconnected"));
  EXPECT_EQ(events_, (std::vector<std::string>{"RequestFailed 1 102 Connection closed remotely",
                                               "RequestFailed 2 102 Connection closed remotely",
                                               "Disconnected"}));
}

TEST_F(ControlTest, AControlWithoutDispatcherRaisesNoEventsButWorks) {
  control_->setDispatcher(nullptr);
  ASSERT_TRUE(connect());
  const std::string id = control_->CreateCall("system", "pbx:101", "Ringova");
  EXPECT_NE(id, "0");
  ASSERT_TRUE(sim_->waitForReceived(kCreateCall));
  std::string uid, version;
  EXPECT_TRUE(control_->GetSystemInfo(uid, version));
  sim_->command("close");
  pumpFor(300ms);
  EXPECT_TRUE(events_.empty());
}

TEST_F(ControlTest, DestroyingAConnectedControlClosesTheConnectionQuietly) {
  ASSERT_TRUE(connect());
  ASSERT_TRUE(sim_->waitUntil([](const auto& c) { return c.openConnections == 1; }));
  control_.reset();
  EXPECT_TRUE(sim_->waitUntil([](const auto& c) { return c.openConnections == 0; }));
  pumpFor(50ms);
  EXPECT_TRUE(events_.empty());
}

}  // namespace
}  // namespace telvane::testing
