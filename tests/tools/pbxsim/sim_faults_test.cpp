// Faults on purpose, bad input from clients, and the trace.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <mutex>
#include <nlohmann/json.hpp>
#include <random>

#include "telvane/protocol/call_control.h"
#include "telvane/protocol/call_events.h"
#include "telvane/protocol/system_service.h"
#include "tests/tools/pbxsim/sim_fixture.h"

namespace telvane::tools::testing {
namespace {

using ::testing::HasSubstr;

bool isUnknownMethodFault(const std::optional<std::string>& text) {
  if (!text) return false;
  FaultResponseMethod fault(0);
  return fault.parseText(*text) && fault.faultCode() == 1 &&
         fault.faultString() == "Unknown XML RPC method";
}

std::unique_ptr<XmlRpcResponseMethod> systemInfo(SimClient& c, CallId id) {
  GetSystemInfoMethod info;
  info.setRequestId(id);
  return c.call(info);
}

using SimFaultTest = SimTest;

TEST_F(SimFaultTest, CloseGarbageAndRawBytes) {
  start();
  auto first = client();
  auto second = client();
  EXPECT_THAT(sim_->command("garbage 300"), HasSubstr("\"bytes\":300"));
  EXPECT_TRUE(second->readBytes(300)) << "the newest connection is the default target";
  EXPECT_THAT(sim_->command("@1 raw ab\\r\\n\\x00z"), HasSubstr("\"bytes\":6"));
  EXPECT_EQ(first->readBytes(6), std::string("ab\r\n\0z", 6));
  EXPECT_THAT(sim_->command("@1 close"), HasSubstr("\"ok\":true"));
  EXPECT_TRUE(first->closedByPeer());
  EXPECT_TRUE(sim_->waitUntil([](const auto& c) { return c.openConnections == 1; }));
  EXPECT_THAT(sim_->command("@1 close"), HasSubstr("no connection 1"));
  EXPECT_NE(systemInfo(*second, 1), nullptr);
}

TEST_F(SimFaultTest, StalledRequestsAreNeverAnswered) {
  start();
  auto c = client();
  EXPECT_THAT(sim_->command("stall on"), HasSubstr("\"ok\":true"));
  GetSystemInfoMethod info;
  info.setRequestId(1);
  ASSERT_TRUE(c->send(info));
  ASSERT_TRUE(sim_->waitForReceived(kGetSystemInfo, 1));
  EXPECT_THAT(sim_->command("stall off"), HasSubstr("\"ok\":true"));
  auto answer = systemInfo(*c, 2);
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer->idNumber(), 2u) << "the stalled request got an answer after all";
}

TEST_F(SimFaultTest, ConfiguredFaultAnswersTheMethodUntilSwitchedOff) {
  start();
  auto c = client();
  EXPECT_THAT(sim_->command("fault getsysteminfo 503 Service busy now"),
              HasSubstr("Services.SystemService.getsysteminfo"));
  auto answer = systemInfo(*c, 1);
  ASSERT_NE(answer, nullptr);
  ASSERT_TRUE(answer->isFault());
  EXPECT_EQ(static_cast<FaultResponseMethod&>(*answer).faultCode(), 503);
  EXPECT_EQ(static_cast<FaultResponseMethod&>(*answer).faultString(), "Service busy now");
  EXPECT_THAT(sim_->command("fault getsysteminfo off"), HasSubstr("\"ok\":true"));
  answer = systemInfo(*c, 2);
  ASSERT_NE(answer, nullptr);
  EXPECT_FALSE(answer->isFault());
  EXPECT_THAT(sim_->command("fault nosuchmethod 1 x"), HasSubstr("unknown method"));
}

TEST_F(SimFaultTest, OneShotFaultsAnswerOneRequestEachBeforeTheStandingOne) {
  start();
  auto c = client();
  EXPECT_THAT(sim_->command("fault once getsysteminfo 486 Busy here"), HasSubstr("\"once\":true"));
  EXPECT_THAT(sim_->command("fault once getsysteminfo 503 Later"), HasSubstr("\"ok\":true"));
  auto faultOf = [&](CallId id) {
    auto answer = systemInfo(*c, id);
    if (answer == nullptr || !answer->isFault()) return std::string("no fault");
    auto& fault = static_cast<FaultResponseMethod&>(*answer);
    return std::to_string(fault.faultCode()) + " " + std::string(fault.faultString());
  };
  EXPECT_EQ(faultOf(1), "486 Busy here");
  EXPECT_EQ(faultOf(2), "503 Later");
  EXPECT_EQ(faultOf(3), "no fault");

  EXPECT_THAT(sim_->command("fault getsysteminfo 500 Down"), HasSubstr("\"ok\":true"));
  EXPECT_THAT(sim_->command("fault once getsysteminfo 401 First"), HasSubstr("\"ok\":true"));
  EXPECT_EQ(faultOf(4), "401 First");
  EXPECT_EQ(faultOf(5), "500 Down");
  EXPECT_EQ(faultOf(6), "500 Down");
  // Off drops both kinds.
  EXPECT_THAT(sim_->command("fault once getsysteminfo 401 Pending"), HasSubstr("\"ok\":true"));
  EXPECT_THAT(sim_->command("fault getsysteminfo off"), HasSubstr("\"ok\":true"));
  EXPECT_EQ(faultOf(7), "no fault");

  EXPECT_THAT(sim_->command("fault once getsysteminfo"), HasSubstr("usage"));
  EXPECT_THAT(sim_->command("fault once getsysteminfo off"), HasSubstr("usage"));
  EXPECT_THAT(sim_->command("fault once nosuchmethod 1 x"), HasSubstr("unknown method"));
  EXPECT_EQ(faultOf(8), "no fault");
}

TEST_F(SimFaultTest, FloodSendsEveryStateReport) {
  start();
  auto c = client();
  const std::size_t before = sim_->counters().messagesOut;
  EXPECT_THAT(sim_->command("flood 2000 99"), HasSubstr("\"sent\":2000"));
  for (int i = 0; i < 2000; ++i) {
    auto call = c->nextCall(5s, false);
    ASSERT_NE(call, nullptr) << i;
    ASSERT_EQ(call->type(), kCallStateChanged);
    ASSERT_EQ(call->idNumber(), 99u);
  }
  EXPECT_EQ(sim_->counters().messagesOut, before + 2000);
}

TEST_F(SimFaultTest, EndlessMessageIsNeverTerminated) {
  start();
  auto c = client();
  EXPECT_THAT(sim_->command("endless"), HasSubstr("\"ok\":true"));
  EXPECT_TRUE(sim_->sendState(5, 1));
  EXPECT_FALSE(c->next(100ms));
  auto start = c->readBytes(40, 1s);
  ASSERT_TRUE(start);
  EXPECT_THAT(*start, HasSubstr("<methodCall>"));
}

TEST_F(SimFaultTest, BadInputGetsTheUnknownMethodFault) {
  start();
  auto c = client();
  ASSERT_TRUE(c->sendBytes(
      "<?xml version=\"1.0\"?>\r\n<methodCall>\r\n<methodName>Services.Nope.x</methodName>\r\n"
      "<params>\r\n</params>\r\n</methodCall>\r\n\r\n"));
  EXPECT_TRUE(isUnknownMethodFault(c->next()));
  // closecall whose id is an int: the params do not match.
  ASSERT_TRUE(c->sendBytes(
      "<?xml version=\"1.0\"?>\r\n<methodCall>\r\n<methodName>"
      "Services.CallProcessingService.closecall</methodName>\r\n<params>\r\n<param>\r\n"
      "<value><int>4</int></value>\r\n</param>\r\n</params>\r\n</methodCall>\r\n\r\n"));
  EXPECT_TRUE(isUnknownMethodFault(c->next()));
  ASSERT_TRUE(c->sendBytes(std::string("\x01\x02\xff<<<&&\0zz\r\n\r\n", 15)));
  EXPECT_TRUE(isUnknownMethodFault(c->next()));
  // An answer to nothing is dropped, as a decision for a call never offered.
  XmlRpcResponseMethod stray(kCallStateChanged);
  stray.setId(5);
  ASSERT_TRUE(c->send(stray));
  CallArrivedResponseMethod decision;
  decision.setDecline(12345);
  ASSERT_TRUE(c->send(decision));
  auto answer = systemInfo(*c, 8);
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer->idNumber(), 8u);
}

TEST_F(SimFaultTest, OversizedMessageDropsOnlyThatClient) {
  start();
  auto flooder = client();
  auto other = client();
  const std::string block(1 << 20, 'x');
  for (int i = 0; i < 17 && !flooder->closedByPeer(0ms); ++i) flooder->sendBytes(block);
  EXPECT_TRUE(flooder->closedByPeer());
  EXPECT_EQ(sim_->counters().dropped, 1u);
  EXPECT_NE(systemInfo(*other, 1), nullptr);
  auto fresh = client();
  EXPECT_NE(systemInfo(*fresh, 2), nullptr);
}

TEST_F(SimFaultTest, TraceHasOneLinePerMessageInEitherDirection) {
  std::mutex mutex;
  std::vector<nlohmann::json> lines;
  PbxSimulator::Options options;
  options.trace = [&](const std::string& line) {
    std::lock_guard lock(mutex);
    lines.push_back(nlohmann::json::parse(line));
  };
  start(options);
  auto c = client();
  ASSERT_NE(systemInfo(*c, 4), nullptr);
  sim_->stop();  // the callback writes into this test's locals
  std::lock_guard lock(mutex);
  std::vector<std::string> seen;
  for (const auto& line : lines) {
    EXPECT_EQ(line["conn"], 1);
    EXPECT_TRUE(line["t"].is_number());
    seen.push_back(line["dir"].get<std::string>() + " " + line["kind"].get<std::string>());
  }
  EXPECT_THAT(seen, ::testing::ElementsAre("in connected", "in call", "out response", "in call",
                                           "out response"));
  EXPECT_EQ(lines[3]["methodName"], "Services.SystemService.getsysteminfo");
}

TEST_F(SimFaultTest, RandomStreamsNeverBreakTheSimulator) {
  start();
  std::mt19937 random(7);
  std::string valid;
  {
    GetSystemInfoMethod info;
    info.setRequestId(1);
    info.serialize(valid);
  }
  for (int round = 0; round < 20; ++round) {
    auto c = client();
    std::string soup;
    for (int piece = 0; piece < 50; ++piece) {
      switch (random() % 4) {
        case 0:  // random bytes
          for (int i = random() % 200; i > 0; --i) soup += static_cast<char>(random());
          break;
        case 1:  // a cut-off piece of a real message
          soup += valid.substr(random() % valid.size(), random() % valid.size());
          break;
        case 2:
          soup += "\r\n\r\n";
          break;
        default:
          soup += "<methodCall><methodName>Services.SystemService.beginfiletransfer</methodName>";
      }
    }
    c->sendBytes(soup);
  }
  auto last = client();
  auto answer = systemInfo(*last, 9);
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer->idNumber(), 9u);
}

}  // namespace
}  // namespace telvane::tools::testing
