// Offered calls, call requests, subscriptions and their notifications.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "telvane/protocol/call_control.h"
#include "telvane/protocol/call_events.h"
#include "telvane/protocol/session_callbacks.h"
#include "telvane/protocol/subscriptions.h"
#include "tests/tools/pbxsim/sim_fixture.h"

namespace telvane::tools::testing {
namespace {

using ::testing::HasSubstr;

class Recorder : public NullSessionCallbacks {
 public:
  void onCallArrived(CallId id, const PartyAddress& from, const PartyAddress& to, CallId orig,
                     const std::string& ext) override {
    arrived = {id, partyText(from), partyText(to), orig, ext};
  }
  void onCallStateChanged(CallId id, int32_t state, int32_t) override {
    states.emplace_back(id, state);
  }
  void onSubscribeResponse(CallId id, bool confirmed, int32_t code) override {
    if (confirmed && code == 0) confirmedIds.push_back(id);
  }
  void onMailArrived(const MailRecord& m) override { mail = m; }
  void onCdrArrived(CallId, int32_t, const CdrRecord& r,
                    const std::optional<CdrStatistics>& s) override {
    cdr = r;
    statistics = s;
  }
  void onDlgArrived(CallId, const std::vector<DialogRecord>& d) override { dialogs = d; }
  void onPrsArrived(CallId id, bool dnd) override { presence = {id, dnd}; }
  void onExtListArrived(CallId, const std::vector<ExtensionRecord>& e) override { extensions = e; }
  void onCallOriginated(CallId id, const std::string& ext, const PartyAddress& from,
                        const PartyAddress&, const std::string& pattern) override {
    originated = {id, ext, partyText(from), pattern};
  }

  struct Arrived {
    CallId id = 0;
    std::string from, to;
    CallId orig = 0;
    std::string ext;
  } arrived;
  std::vector<std::pair<CallId, int>> states;
  std::vector<CallId> confirmedIds;
  std::optional<MailRecord> mail;
  std::optional<CdrRecord> cdr;
  std::optional<CdrStatistics> statistics;
  std::vector<DialogRecord> dialogs;
  std::optional<std::pair<CallId, bool>> presence;
  std::vector<ExtensionRecord> extensions;
  struct Originated {
    CallId id = 0;
    std::string ext, from, pattern;
  } originated;
};

class SimOfferTest : public SimTest {
 protected:
  // A logged-in client that handles the incoming calls of extension 101.
  std::unique_ptr<SimClient> handler() {
    auto c = client();
    IncomingCallHandlingMethod handling;
    handling.setHandling("101", 1);
    auto response = c->call(handling);
    EXPECT_TRUE(response != nullptr && !response->isFault());
    return c;
  }
  // Offers a call to 101 and reads the "process" on `c`.
  CallId offerTo(SimClient& c, Recorder& recorder) {
    const CallId id = sim_->offer("tel:030555", "pbx:101", 77);
    EXPECT_NE(id, 0u);
    auto process = c.nextCall();
    EXPECT_TRUE(process != nullptr && process->type() == kProcess);
    if (process) process->dispatch(recorder);
    return id;
  }
};

TEST_F(SimOfferTest, OfferGoesToTheHandlingConnectionOnly) {
  start();
  auto other = client();
  auto c = handler();
  Recorder recorder;
  const CallId id = offerTo(*c, recorder);
  EXPECT_EQ(recorder.arrived.id, id);
  EXPECT_EQ(recorder.arrived.from, "tel:030555");
  EXPECT_EQ(recorder.arrived.to, "pbx:101");
  EXPECT_EQ(recorder.arrived.orig, 77u);
  EXPECT_EQ(recorder.arrived.ext, "101");
  EXPECT_FALSE(other->next(50ms));
  EXPECT_THAT(sim_->command("offer tel:1 pbx:202"), HasSubstr("no connection handles 202"));
  ASSERT_EQ(sim_->decision(id)->kind, PbxSimulator::OfferDecision::kPending);
}

TEST_F(SimOfferTest, AcceptUnderRemoteControlReportsTheCall) {
  PbxSimulator::Options options;
  options.answerDelay = 0ms;
  start(options);
  auto c = handler();
  Recorder recorder;
  const CallId id = offerTo(*c, recorder);
  CallArrivedResponseMethod accept;
  accept.setAccept(id, "", "", true);
  ASSERT_TRUE(c->send(accept));
  for (int i = 0; i < 2; ++i) c->nextCall()->dispatch(recorder);
  EXPECT_THAT(recorder.states,
              ::testing::ElementsAre(std::make_pair(id, 1), std::make_pair(id, 2)));
  auto decision = sim_->decision(id);
  ASSERT_TRUE(decision);
  EXPECT_EQ(decision->kind, PbxSimulator::OfferDecision::kAccept);
  EXPECT_TRUE(decision->remoteControl);
  // Now a call of this connection: closing it reports 3.
  CloseCallMethod close;
  close.setCallId(id);
  ASSERT_NE(c->call(close), nullptr);
  c->nextCall()->dispatch(recorder);
  EXPECT_EQ(recorder.states.back(), std::make_pair(id, 3));
}

TEST_F(SimOfferTest, DeclineAndRedirectEndTheOffer) {
  start();
  auto c = handler();
  Recorder recorder;
  const CallId declined = offerTo(*c, recorder);
  CallArrivedResponseMethod decline;
  decline.setDecline(declined);
  ASSERT_TRUE(c->send(decline));
  const CallId redirected = offerTo(*c, recorder);
  CallArrivedResponseMethod redirect;
  PartyAddress target;
  parseParty("tel:0309999", target);
  ASSERT_TRUE(redirect.setRedirect(redirected, target, "030555", "Ann"));
  ASSERT_TRUE(c->send(redirect));
  ASSERT_TRUE(sim_->waitUntil([](const auto& counters) { return counters.responsesIn == 2; }));
  EXPECT_EQ(sim_->decision(declined)->kind, PbxSimulator::OfferDecision::kDecline);
  auto forwarded = sim_->decision(redirected);
  EXPECT_EQ(forwarded->kind, PbxSimulator::OfferDecision::kRedirect);
  EXPECT_THAT(forwarded->targets, ::testing::ElementsAre("tel:0309999"));
  EXPECT_EQ(forwarded->displayName, "Ann");
  EXPECT_FALSE(c->next(50ms)) << "no reports for calls that were not accepted";
}

// As a PBX does, when told to: the list right after the subscription's answer.
TEST_F(SimOfferTest, AnExtensionListSubscriptionCanBeAnsweredWithTheList) {
  PbxSimulator::Options options;
  options.extListOnSubscribe = true;
  options.users = {{"201", "pw", "201", "Ann", "ann@pbx"}, {"202", "pw", "202", "Bob", "bob@pbx"}};
  start(options);
  auto c = client(false);
  ASSERT_TRUE(c->login("201", "pw"));
  Recorder recorder;
  SubscribeMethod subscribe;
  const CallId id = subscribe.subscribeToExtensionList();
  auto answer = c->call(subscribe);
  ASSERT_NE(answer, nullptr);
  answer->dispatch(recorder);
  EXPECT_THAT(recorder.confirmedIds, ::testing::ElementsAre(id));
  auto list = c->nextCall();
  ASSERT_TRUE(list != nullptr && list->type() == kExtListArrived);
  EXPECT_EQ(list->idNumber(), id);
  list->dispatch(recorder);
  ASSERT_EQ(recorder.extensions.size(), 2u);
  EXPECT_EQ(recorder.extensions[1].sipAddress, "bob@pbx");
  // Other kinds get no notification of their own.
  subscribe.subscribeToPresence("201");
  ASSERT_NE(c->call(subscribe), nullptr);
  EXPECT_EQ(c->nextCall(std::chrono::milliseconds(100)), nullptr);
}

TEST_F(SimOfferTest, AllSixSubscriptionsAreConfirmedAndNotified) {
  start();
  auto c = client();
  Recorder recorder;
  SubscribeMethod subscribe;
  std::vector<CallId> ids;
  ids.push_back(subscribe.subscribeToVoiceMail("101"));
  ASSERT_NE(c->call(subscribe), nullptr);
  ids.push_back(subscribe.subscribeToCdr());
  ASSERT_NE(c->call(subscribe), nullptr);
  ids.push_back(subscribe.subscribeToDialog("101"));
  ASSERT_NE(c->call(subscribe), nullptr);
  ids.push_back(subscribe.subscribeToPresence("101"));
  ASSERT_NE(c->call(subscribe), nullptr);
  ids.push_back(subscribe.subscribeToCallRequests());
  ASSERT_NE(c->call(subscribe), nullptr);
  ids.push_back(subscribe.subscribeToExtensionList());
  auto last = c->call(subscribe);
  ASSERT_NE(last, nullptr);
  last->dispatch(recorder);
  EXPECT_THAT(recorder.confirmedIds, ::testing::ElementsAre(ids.back()));

  EXPECT_THAT(sim_->command("mail 101 tel:0301 30 9"), HasSubstr("\"sent\":1"));
  EXPECT_THAT(sim_->command("mail 202 tel:0301 30 9"), HasSubstr("no subscription"));
  EXPECT_THAT(sim_->command("cdr 101 0301 65 stats"), HasSubstr("\"ok\":true"));
  EXPECT_THAT(sim_->command("dialog 101 55 3 \"Bob\" <bob@h:5060>"), HasSubstr("\"ok\":true"));
  EXPECT_THAT(sim_->command("presence 101 1"), HasSubstr("\"ok\":true"));
  EXPECT_THAT(sim_->command("extlist"), HasSubstr("\"ok\":true"));
  EXPECT_THAT(sim_->command("originate 201 tel:0301 tel:0302 0*"), HasSubstr("\"ok\":true"));
  for (int i = 0; i < 6; ++i) {
    auto call = c->nextCall();
    ASSERT_NE(call, nullptr) << i;
    call->dispatch(recorder);
  }
  ASSERT_TRUE(recorder.mail);
  EXPECT_EQ(recorder.mail->subscriptionId, ids[0]);
  EXPECT_EQ(recorder.mail->mailId, 9);
  ASSERT_TRUE(recorder.cdr && recorder.statistics);
  EXPECT_EQ(recorder.cdr->duration, 65);
  EXPECT_EQ(recorder.statistics->rtpTxCodec, "PCMA");
  ASSERT_EQ(recorder.dialogs.size(), 1u);
  EXPECT_EQ(recorder.dialogs[0].callId, 55u);
  EXPECT_EQ(recorder.dialogs[0].remote.displayName, "Bob");
  EXPECT_EQ(recorder.dialogs[0].dialogState, 3);
  EXPECT_EQ(recorder.presence, std::make_pair(ids[3], true));
  ASSERT_EQ(recorder.extensions.size(), 1u);
  EXPECT_EQ(recorder.extensions[0].extension, "101");
  EXPECT_EQ(recorder.originated.ext, "201");
  EXPECT_EQ(recorder.originated.pattern, "0*");
  // Five of the six were answered by nextCall; calloriginated waits for a decision.
  EXPECT_TRUE(sim_->waitUntil([](const auto& counters) { return counters.responsesIn == 5; }));

  CallOriginatedResponseMethod accept;
  ASSERT_TRUE(accept.setAccept(recorder.originated.id, ids[4]));
  ASSERT_TRUE(c->send(accept));
  auto created = c->nextCall();
  ASSERT_NE(created, nullptr);
  created->dispatch(recorder);
  EXPECT_EQ(recorder.states.back(), std::make_pair(recorder.originated.id, 0));

  UnsubscribeMethod unsubscribe;
  unsubscribe.setSubscriptionId(ids[3]);
  auto skip = [&] {  // the rest of the originated call's reports
    while (auto call = c->nextCall(50ms)) {
    }
  };
  skip();
  ASSERT_NE(c->call(unsubscribe), nullptr);
  EXPECT_THAT(sim_->command("presence 101 0"), HasSubstr("no subscription"));
}

}  // namespace
}  // namespace telvane::tools::testing
