// Login and call handling against the simulator.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "telvane/protocol/call_control.h"
#include "telvane/protocol/call_events.h"
#include "telvane/protocol/login.h"
#include "telvane/protocol/session_callbacks.h"
#include "telvane/protocol/system_service.h"
#include "tests/tools/pbxsim/sim_fixture.h"

namespace telvane::tools::testing {
namespace {

// The state reports a call gets: (call, state, error code).
struct StateReport {
  CallId call;
  int state;
  int errorCode;
  bool operator==(const StateReport&) const = default;
};

class Recorder : public NullSessionCallbacks {
 public:
  void onCallStateChanged(CallId id, int32_t state, int32_t code) override {
    states.push_back({id, state, code});
  }
  void onMessagePlayed(CallId id) override { played.push_back(id); }
  void onDTMFInjected(CallId id) override { injected.push_back(id); }
  void onDtmfDigitDetected(CallId id, char digit) override { digits.emplace_back(id, digit); }
  std::vector<StateReport> states;
  std::vector<CallId> played;
  std::vector<CallId> injected;
  std::vector<std::pair<CallId, char>> digits;
};

// Reads `count` calls from the simulator into `recorder`.
void collect(SimClient& c, Recorder& recorder, int count) {
  for (int i = 0; i < count; ++i) {
    auto call = c.nextCall();
    ASSERT_NE(call, nullptr) << "call " << i << " missing";
    call->dispatch(recorder);
  }
}

bool placeCall(SimClient& c, CallId id, std::string_view callee) {
  PartyAddress party;
  parseParty(callee, party);
  CreateCallMethod create;
  create.setCall(id, "system", party, "Ringova", "");
  auto response = c.call(create);
  return response != nullptr && !response->isFault() && response->idNumber() == id;
}

using SimLoginTest = SimTest;

TEST_F(SimLoginTest, PasswordAndAuthenticatorAreChecked) {
  PbxSimulator::Options options;
  options.users.push_back({"ann", "pw", "201", "Ann", "ann@pbx"});
  start(options);
  auto refused = client(false);
  EXPECT_FALSE(refused->login("ann", "wrong"));
  EXPECT_FALSE(refused->login("nobody", "pw"));
  EXPECT_TRUE(refused->login("ann", "pw"));

  auto secure = client(false);
  SAuthenticateMethod bad;
  bad.setCredentials("ann", "1700000000", "0123456789abcdef0123456789abcdef");
  auto badAnswer = secure->call(bad);
  ASSERT_NE(dynamic_cast<AuthenticateResponseMethod*>(badAnswer.get()), nullptr);
  EXPECT_FALSE(static_cast<AuthenticateResponseMethod&>(*badAnswer).accepted());
  SAuthenticateMethod good;
  good.setCredentials("ann", "1700000000", simAuthenticator("ann", "pw", "1700000000"));
  auto goodAnswer = secure->call(good);
  ASSERT_NE(dynamic_cast<AuthenticateResponseMethod*>(goodAnswer.get()), nullptr);
  EXPECT_TRUE(static_cast<AuthenticateResponseMethod&>(*goodAnswer).accepted());
  EXPECT_EQ(goodAnswer->type(), kAuthenticate);
}

TEST(SimAuthenticatorTest, IsLowerCaseHexMd5OfUserPasswordTimestamp) {
  // md5("101secret12345")
  EXPECT_EQ(simAuthenticator("101", "secret", "12345"), "28ee20ebcbc9c8ebf21abc8a33499bb5");
  EXPECT_EQ(simAuthenticator("", "", ""), "d41d8cd98f00b204e9800998ecf8427e");
  // In a code page: its bytes, not the UTF-8 ones; a character it lacks matches nothing.
  EXPECT_EQ(simAuthenticator("j\u00fcrgen", "p\u00e4ssw\u00f6rd", "12345", 1252),
            "f912cdff6254ae67512e8657cfa85ecd");
  const std::string cyrillic = "\u043f\u0430\u0440\u043e\u043b\u044c";
  EXPECT_EQ(simAuthenticator("101", cyrillic, "12345", 1251), "e238ab847bf3b0c5ccaea35cb72db6e4");
  EXPECT_EQ(simAuthenticator("101", cyrillic, "12345"), "551402e3b058c8c9176fb80195d79172");
  EXPECT_EQ(simAuthenticator("101", cyrillic, "12345", 1252), "");
}

TEST_F(SimLoginTest, RequestsBeforeLoginAreRefusedWithAFault) {
  start();
  auto c = client(false);
  GetSystemInfoMethod info;
  info.setRequestId(7);
  auto response = c->call(info);
  ASSERT_NE(response, nullptr);
  EXPECT_TRUE(response->isFault());
  ASSERT_TRUE(c->login());
  response = c->call(info);
  auto* answer = dynamic_cast<GetSystemInfoResponseMethod*>(response.get());
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer->version(), "Sim-5.1.26-PBX");
  EXPECT_EQ(answer->idNumber(), 7u);
}

TEST_F(SimLoginTest, GetExtensionLooksUpTheUserTable) {
  PbxSimulator::Options options;
  options.users.push_back({"ann", "pw", "201", "", ""});
  start(options);
  auto c = client(false);
  ASSERT_TRUE(c->login("ann", "pw"));
  GetExtensionMethod lookup;
  lookup.setUser("ann");
  auto response = c->call(lookup);
  auto* found = dynamic_cast<GetExtensionResponseMethod*>(response.get());
  ASSERT_NE(found, nullptr);
  EXPECT_TRUE(found->found());
  EXPECT_EQ(found->extension(), "201");
  lookup.setUser("bob");
  response = c->call(lookup);
  found = dynamic_cast<GetExtensionResponseMethod*>(response.get());
  ASSERT_NE(found, nullptr);
  EXPECT_FALSE(found->found());
}

using SimCallTest = SimTest;

TEST_F(SimCallTest, CreatedCallRingsAndIsAnsweredAfterTheDelay) {
  start();
  auto c = client();
  ASSERT_TRUE(placeCall(*c, 42, "pbx:101"));
  Recorder recorder;
  collect(*c, recorder, 2);
  EXPECT_THAT(recorder.states,
              ::testing::ElementsAre(StateReport{42, 0, 0}, StateReport{42, 1, 0}));
  EXPECT_FALSE(c->next(50ms)) << "answered before the delay";
  advance(500ms);
  collect(*c, recorder, 1);
  EXPECT_EQ(recorder.states.back(), (StateReport{42, 2, 0}));
  EXPECT_TRUE(sim_->waitUntil([](const auto& counters) { return counters.responsesIn == 3; }));
}

TEST_F(SimCallTest, BusyAndUnknownCalleesFail) {
  PbxSimulator::Options options;
  options.busy = {"555"};
  options.unknown = {"666"};
  start(options);
  auto c = client();
  Recorder recorder;
  ASSERT_TRUE(placeCall(*c, 1, "tel:555"));
  collect(*c, recorder, 2);
  ASSERT_TRUE(placeCall(*c, 2, "tel:666"));
  collect(*c, recorder, 2);
  EXPECT_THAT(recorder.states, ::testing::ElementsAre(StateReport{1, 0, 0}, StateReport{1, 6, 0},
                                                      StateReport{2, 0, 0}, StateReport{2, 6, 1}));
}

TEST_F(SimCallTest, ClosingAJoinedCallEndsBothLegs) {
  PbxSimulator::Options options;
  options.answerDelay = 0ms;
  start(options);
  auto c = client();
  Recorder recorder;
  ASSERT_TRUE(placeCall(*c, 10, "pbx:101"));
  collect(*c, recorder, 3);
  ASSERT_TRUE(placeCall(*c, 11, "tel:0301234"));
  collect(*c, recorder, 3);
  JoinCallsMethod join;
  join.setCalls(10, 11);
  ASSERT_NE(c->call(join), nullptr);
  CloseCallMethod close;
  close.setCallId(11);
  ASSERT_NE(c->call(close), nullptr);
  recorder.states.clear();
  collect(*c, recorder, 2);
  EXPECT_THAT(recorder.states,
              ::testing::ElementsAre(StateReport{11, 3, 0}, StateReport{10, 3, 0}));
}

TEST_F(SimCallTest, UnjoinedAndTransferredCallsEndAlone) {
  PbxSimulator::Options options;
  options.answerDelay = 0ms;
  start(options);
  auto c = client();
  Recorder recorder;
  ASSERT_TRUE(placeCall(*c, 10, "pbx:101"));
  collect(*c, recorder, 3);
  ASSERT_TRUE(placeCall(*c, 11, "tel:0301234"));
  collect(*c, recorder, 3);
  JoinCallsMethod join;
  join.setCalls(10, 11);
  ASSERT_NE(c->call(join), nullptr);
  UnjoinCallsMethod unjoin;
  unjoin.setCalls(10, 11);
  ASSERT_NE(c->call(unjoin), nullptr);
  PartyAddress target;
  parseParty("tel:0307777", target);
  TransferCallMethod transfer;
  transfer.setTransfer(10, target);
  ASSERT_NE(c->call(transfer), nullptr);
  recorder.states.clear();
  collect(*c, recorder, 1);
  EXPECT_THAT(recorder.states, ::testing::ElementsAre(StateReport{10, 3, 0}));
  EXPECT_FALSE(c->next(50ms)) << "the unjoined leg must stay up";
}

TEST_F(SimCallTest, PromptsEndAfterTheirLengthOrStopSilently) {
  start();  // prompt length 1000 ms
  auto c = client();
  PlayMessageMethod play;
  play.setPlay(5, "autocallwait.wav", 2);
  ASSERT_NE(c->call(play), nullptr);
  advance(1999ms);
  EXPECT_FALSE(c->next(50ms)) << "two plays last two prompt lengths";
  advance(1ms);
  Recorder recorder;
  collect(*c, recorder, 1);
  EXPECT_THAT(recorder.played, ::testing::ElementsAre(5u));

  play.setPlay(6, "autocallwait.wav", 1);
  ASSERT_NE(c->call(play), nullptr);
  PlayMessageMethod stop;
  stop.setPlay(6, "", 0);
  ASSERT_NE(c->call(stop), nullptr);
  advance(5000ms);
  EXPECT_FALSE(c->next(50ms)) << "a stopped prompt is not reported";
}

TEST_F(SimCallTest, DtmfIsInjectedAndDetectedDigitsAreScripted) {
  start();
  auto c = client();
  InjectDTMFMethod inject;
  inject.set(8, "12#");
  ASSERT_NE(c->call(inject), nullptr);
  Recorder recorder;
  collect(*c, recorder, 1);
  EXPECT_THAT(recorder.injected, ::testing::ElementsAre(8u));
  EnableDtmfDetectionMethod detect;
  detect.setDetection(8, 1);
  ASSERT_NE(c->call(detect), nullptr);
  EXPECT_THAT(sim_->command("dtmf 8 #"), ::testing::HasSubstr("\"ok\":true"));
  EXPECT_TRUE(sim_->sendState(8, 6, 3));
  collect(*c, recorder, 2);
  EXPECT_THAT(recorder.digits, ::testing::ElementsAre(std::make_pair(CallId{8}, '#')));
  EXPECT_EQ(recorder.states.back(), (StateReport{8, 6, 3}));
}

TEST_F(SimCallTest, EachConnectionKeepsItsOwnCalls) {
  PbxSimulator::Options options;
  options.answerDelay = 0ms;
  start(options);
  auto first = client();
  auto second = client();
  ASSERT_TRUE(placeCall(*first, 1, "pbx:101"));
  Recorder recorder;
  collect(*first, recorder, 3);
  EXPECT_FALSE(second->next(50ms));
  // Closing another connection's call from here ends nothing.
  CloseCallMethod close;
  close.setCallId(1);
  ASSERT_NE(second->call(close), nullptr);
  EXPECT_FALSE(first->next(50ms));
  ASSERT_NE(first->call(close), nullptr);
  collect(*first, recorder, 1);
  EXPECT_EQ(recorder.states.back(), (StateReport{1, 3, 0}));
}

}  // namespace
}  // namespace telvane::tools::testing
