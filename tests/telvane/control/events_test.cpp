// Every event of the control, raised from what the simulator sends.
#include <gtest/gtest.h>

#include "telvane/xmlrpc/method_table.h"
#include "tests/telvane/control/sim_fixture.h"

namespace telvane::testing {
namespace {

class EventsTest : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    ASSERT_TRUE(connect());
  }
  // Runs a simulator command and expects it to succeed.
  void simulate(const std::string& line) {
    std::string outcome = sim_->command(line);
    ASSERT_NE(outcome.find("\"ok\":true"), std::string::npos) << line << ": " << outcome;
  }
};

TEST_F(EventsTest, CallEvents) {
  const std::string id = control_->CreateCall("system", "pbx:101", "Ringova");
  ASSERT_TRUE(pumpUntilEvent("CallStateChanged " + id + " 2"));
  EXPECT_TRUE(control_->PlayMessage(id, "autocallwait.wav", 1));
  ASSERT_TRUE(pumpUntilEvent("MessagePlayed " + id));
  EXPECT_TRUE(control_->InjectDTMF(id, "12#"));
  ASSERT_TRUE(pumpUntilEvent("DTMFInjected " + id));
  EXPECT_TRUE(control_->EnableDtmfDetection(id, true));
  simulate("dtmf " + id + " 5");
  ASSERT_TRUE(pumpUntilEvent("DtmfDigitReceived " + id + " 53"));
  simulate("dtmf " + id + " \xE9");  // a byte above 127 arrives as a signed byte
  ASSERT_TRUE(pumpUntilEvent("DtmfDigitReceived " + id + " -23"));

  const std::string busy = control_->CreateCall("system", "pbx:202", "Ringova");
  ASSERT_TRUE(pumpUntilEvent("CallStateChanged " + busy + " 6"));
  auto errors = eventsStartingWith("ErrorOccured " + busy);
  ASSERT_EQ(errors, std::vector<std::string>{"ErrorOccured " + busy + " 0"});
  auto at = [&](const std::string& line) {
    return std::find(events_.begin(), events_.end(), line) - events_.begin();
  };
  EXPECT_EQ(at("ErrorOccured " + busy + " 0") + 1, at("CallStateChanged " + busy + " 6"));
}

TEST_F(EventsTest, ArrivingCallsAndTheirAnswers) {
  ASSERT_TRUE(control_->IncomingCallHandling("101", true));
  ASSERT_TRUE(sim_->waitForReceived(kIncomingCallHandling));
  const CallId plain = sim_->offer("pstn:5551234", "pbx:101");
  ASSERT_NE(plain, 0u);
  ASSERT_TRUE(pumpUntilEvent("CallArrived " + formatId(plain) + " pstn:5551234 pbx:101 0"));
  const CallId forwarded = sim_->offer("pstn:5551234", "pbx:101", 4242);
  ASSERT_TRUE(pumpUntilEvent("CallArrived " + formatId(forwarded) + " pstn:5551234 pbx:101 4242"));

  EXPECT_TRUE(control_->AcceptCall(formatId(plain), "", "", true));
  EXPECT_TRUE(control_->ForwardCall(formatId(forwarded), "pbx:300", "", ""));
  EXPECT_FALSE(control_->ForwardCall(formatId(forwarded), "", "", ""));
  ASSERT_TRUE(pumpUntilEvent("CallStateChanged " + formatId(plain) + " 2"));
  auto decision = sim_->decision(forwarded);
  ASSERT_TRUE(decision);
  EXPECT_EQ(decision->kind, tools::PbxSimulator::OfferDecision::kRedirect);
  const CallId rejected = sim_->offer("pstn:1", "pbx:101");
  ASSERT_TRUE(pumpUntilEvent("CallArrived " + formatId(rejected) + " pstn:1 pbx:101 0"));
  EXPECT_TRUE(control_->RejectCall(formatId(rejected)));
  ASSERT_TRUE(sim_->waitUntil([&](const auto&) {
    auto d = sim_->decision(rejected);
    return d && d->kind == tools::PbxSimulator::OfferDecision::kDecline;
  }));
}

TEST_F(EventsTest, CallRouting) {
  EXPECT_FALSE(control_->ResponseToCRCall("1", true));  // no subscription yet
  const std::string cr = control_->SubscribeToCR();
  ASSERT_NE(cr, "0");
  ASSERT_TRUE(pumpUntilEvent("SubscriptionConfirmed " + cr + " true 0"));
  simulate("originate 201 pstn:555 pbx:300 9*");
  ASSERT_TRUE(pumpUntil([&] { return !eventsStartingWith("CallOriginated").empty(); }));
  const std::string line = eventsStartingWith("CallOriginated").front();
  EXPECT_NE(line.find(" pbx:201 pbx:300 9*"), std::string::npos) << line;
  const std::string callId = line.substr(15, line.find(' ', 15) - 15);
  EXPECT_TRUE(control_->ResponseToCRCall(callId, true));
  EXPECT_TRUE(control_->Unsubscribe(cr));
  EXPECT_FALSE(control_->ResponseToCRCall(callId, false));
}

TEST_F(EventsTest, SubscriptionNotifications) {
  const std::string mail = control_->SubscribeToVoiceMail("101");
  const std::string cdr = control_->SubscribeToCDR();
  const std::string dialog = control_->SubscribeToDialog("101");
  const std::string presence = control_->SubscribeToPresence("101");
  const std::string extList = control_->SubscribeToExtList();
  for (const std::string& id : {mail, cdr, dialog, presence, extList}) {
    ASSERT_NE(id, "0");
    ASSERT_TRUE(pumpUntilEvent("SubscriptionConfirmed " + id + " true 0")) << id;
  }
  simulate("mail 101 pstn:5550001 30 7");
  ASSERT_TRUE(pumpUntil([&] { return !eventsStartingWith("MailArrived " + mail).empty(); }));
  EXPECT_NE(eventsStartingWith("MailArrived").front().find(" pstn:5550001 "), std::string::npos);
  EXPECT_NE(eventsStartingWith("MailArrived").front().rfind(" 30 7"), std::string::npos);

  simulate("cdr pstn:1 pbx:2 60 stats");
  ASSERT_TRUE(pumpUntil([&] { return !eventsStartingWith("CDRArrived " + cdr).empty(); }));
  const std::string record = eventsStartingWith("CDRArrived").front();
  EXPECT_NE(record.find(" 60 pbx:2 pstn:1 "), std::string::npos) << record;
  EXPECT_NE(record.find(" false 1500 PCMA 160 1498 PCMA 160 2 3 40 1 1 0 0 0 0 0 0"),
            std::string::npos)
      << record;

  simulate("dialog 101 88 3");
  ASSERT_TRUE(
      pumpUntilEvent("DialogArrived " + dialog + " 88 0 3 0 0 0 0  101@pbxsim 200@pbxsim 1"));

  simulate("presence 101 1");
  ASSERT_TRUE(pumpUntilEvent("PresenceArrived " + presence + " true"));

  simulate("extlist");
  ASSERT_TRUE(pumpUntil([&] { return !eventsStartingWith("ExtListArrived " + extList).empty(); }));
  const std::string list = eventsStartingWith("ExtListArrived").front();
  EXPECT_EQ(list, "ExtListArrived " + extList + " 101~User 101~101@pbxsim~0~0~");

  EXPECT_TRUE(control_->GetExtension("101"));
  ASSERT_TRUE(pumpUntil([&] { return !eventsStartingWith("ExtensionGet true").empty(); }));
  EXPECT_TRUE(control_->Unsubscribe(mail));
}

// A C++ sink gets the same events as dispatch handlers, and no more once disconnected.
TEST_F(EventsTest, CppSinks) {
  struct Sink : TelvaneEvents {
    std::vector<std::string> seen;
    void CallStateChanged(const std::string& callID, int16_t callState) override {
      seen.push_back(callID + " " + std::to_string(callState));
    }
    void ErrorOccured(const std::string& callID, int16_t errorCode) override {
      seen.push_back("error " + callID + " " + std::to_string(errorCode));
    }
  } sink;
  const uint32_t cookie = control_->connectEvents(sink);
  ASSERT_NE(cookie, 0u);
  ASSERT_TRUE(sim_->sendState(9, 6, 4));
  ASSERT_TRUE(pumpUntilEvent("CallStateChanged 9 6"));
  EXPECT_EQ(sink.seen, (std::vector<std::string>{"error 9 4", "9 6"}));
  EXPECT_TRUE(control_->disconnectEvents(cookie));
  EXPECT_FALSE(control_->disconnectEvents(cookie));
  ASSERT_TRUE(sim_->sendState(10, 2));
  ASSERT_TRUE(pumpUntilEvent("CallStateChanged 10 2"));
  EXPECT_EQ(sink.seen.size(), 2u);
}

}  // namespace
}  // namespace telvane::testing
