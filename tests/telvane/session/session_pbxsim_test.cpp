// Every request operation against the PBX simulator, over a plain and over a TLS connection.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "session_test_support.h"
#include "telvane/session/pbx_session.h"
#include "telvane/xmlrpc/method_table.h"
#include "tests/support/temp_folder.h"
#include "tests/telvane/net/test_support.h"
#include "tools/pbxsim/pbx_simulator.h"

namespace telvane {
namespace {

using namespace std::chrono_literals;
using testing::RecordingOwner;
using tools::PbxSimulator;

class SessionSimTest : public ::testing::TestWithParam<bool> {
 protected:
  static void SetUpTestSuite() {
    certs_ = std::make_unique<testing::TempDir>();
    certsMade_ =
        testing::RunCommand({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                             key(), "-out", cert(), "-days", "2", "-subj", "/CN=127.0.0.1"},
                            certs_->path() / "openssl.log");
  }
  static void TearDownTestSuite() { certs_.reset(); }
  static std::string cert() { return (certs_->path() / "cert.pem").string(); }
  static std::string key() { return (certs_->path() / "key.pem").string(); }

  void SetUp() override {
    PbxSimulator::Options options;
    options.answerDelay = 10ms;
    options.promptLength = 10ms;
    if (secure()) {
      ASSERT_TRUE(certsMade_) << "openssl could not make the certificate";
      options.tlsCertFile = cert();
      options.tlsKeyFile = key();
    }
    sim_ = std::make_unique<PbxSimulator>(options);
    ASSERT_TRUE(sim_->start()) << sim_->error();
    ASSERT_TRUE(session_.SetConnectionMode(secure()));
  }

  bool secure() const { return GetParam(); }
  void login() { ASSERT_TRUE(session_.Connect("127.0.0.1", sim_->port(), 5, "101", "secret")); }
  std::string run(const std::string& line) {
    const std::string outcome = sim_->command(line);
    EXPECT_NE(outcome.find("\"ok\":true"), std::string::npos) << line << ": " << outcome;
    return outcome;
  }
  // Waits for a notification of kind T that `match` accepts.
  template <typename T>
  bool waitFor(std::function<bool(const T&)> match = [](const T&) { return true; }) {
    return owner_.waitForMatch([&](const Notification& n) {
      const T* item = std::get_if<T>(&n);
      return item != nullptr && match(*item);
    });
  }
  bool waitForState(CallId callId, std::int32_t state) {
    return waitFor<CallStateChangedNotification>([&](const CallStateChangedNotification& n) {
      return n.callId == formatId(callId) && n.state == state;
    });
  }

  static inline std::unique_ptr<testing::TempDir> certs_;
  static inline bool certsMade_ = false;
  std::unique_ptr<PbxSimulator> sim_;
  RecordingOwner owner_;
  PbxSession session_{owner_};
};

TEST_P(SessionSimTest, LogsInWithEitherLoginAndRefusesAWrongPassword) {
  EXPECT_FALSE(session_.Connect("127.0.0.1", sim_->port(), 5, "101", "wrong"));
  ASSERT_TRUE(sim_->waitUntil([](const auto& c) { return c.openConnections == 0; }));
  const std::string timestamp = "1765260000";
  // The failed login's close may still be under way.
  for (int i = 0; i < 100 && session_.state() != SessionState::kIdle; ++i) {
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_TRUE(session_.SConnect("127.0.0.1", sim_->port(), 5, "101", timestamp,
                                tools::simAuthenticator("101", "secret", timestamp)));
  const auto fingerprint = session_.peerFingerprint();
  EXPECT_EQ(fingerprint.has_value(), secure());
  ASSERT_TRUE(session_.Disconnect());
  if (fingerprint) {
    // The configured policy applies at the next secure connect.
    ASSERT_TRUE(session_.Configure({TlsPolicy::Pin(FormatFingerprint(*fingerprint))}));
    ASSERT_TRUE(session_.Connect("127.0.0.1", sim_->port(), 5, "101", "secret"));
    ASSERT_TRUE(session_.Disconnect());
    ASSERT_TRUE(session_.Configure({TlsPolicy::Pin(std::string(64, '0'))}));
    EXPECT_FALSE(session_.Connect("127.0.0.1", sim_->port(), 5, "101", "secret"));
    EXPECT_EQ(session_.state(), SessionState::kIdle);
  }
  ASSERT_TRUE(sim_->waitUntil([](const auto& c) { return c.openConnections == 0; }));
  EXPECT_TRUE(owner_.notifications().empty());
}

TEST_P(SessionSimTest, CallControlRequests) {
  login();
  const CallId first = session_.CreateCall("system", "pbx:101", "Ringova", "");
  ASSERT_NE(first, 0u);
  ASSERT_TRUE(waitForState(first, 2));
  const CallId second = session_.CreateCall("system", "tel:200", "", "101");
  ASSERT_NE(second, 0u);
  ASSERT_TRUE(waitForState(second, 2));

  ASSERT_TRUE(session_.PlayMessage(first, "autocallwait.wav", 1));
  EXPECT_TRUE(waitFor<MessagePlayedNotification>());
  ASSERT_TRUE(session_.InjectDTMF(first, "12"));
  EXPECT_TRUE(waitFor<DTMFInjectedNotification>());
  ASSERT_TRUE(session_.EnableDtmfDetection(first, true));
  run("dtmf " + formatId(first) + " 5");
  EXPECT_TRUE(waitFor<DtmfDigitReceivedNotification>([](const auto& n) { return n.digit == '5'; }));

  ASSERT_TRUE(session_.JoinCalls(first, second));
  ASSERT_TRUE(session_.UnjoinCalls(first, second));
  ASSERT_TRUE(session_.TransferCall(second, "tel:300"));
  EXPECT_TRUE(waitForState(second, 3));
  ASSERT_TRUE(session_.CloseCall(first));
  EXPECT_TRUE(waitForState(first, 3));
  EXPECT_TRUE(owner_.all<RequestFailedNotification>().empty());
}

TEST_P(SessionSimTest, OfferedCallsAreAcceptedRejectedOrForwarded) {
  login();
  ASSERT_TRUE(session_.IncomingCallHandling("101", true));
  ASSERT_TRUE(sim_->waitForReceived(kIncomingCallHandling));
  const CallId accepted = sim_->offer("tel:5551234", "pbx:101");
  const CallId rejected = sim_->offer("tel:5551235", "pbx:101");
  const CallId forwarded = sim_->offer("tel:5551236", "pbx:101");
  ASSERT_TRUE(accepted && rejected && forwarded);
  ASSERT_TRUE(waitFor<CallArrivedNotification>(
      [&](const auto& n) { return n.callId == formatId(forwarded); }));
  EXPECT_EQ(owner_.all<CallArrivedNotification>().front(),
            (CallArrivedNotification{formatId(accepted), "tel:5551234", "pbx:101", 0}));

  ASSERT_TRUE(session_.AcceptCall(accepted, "5551234", "Ann", true));
  ASSERT_TRUE(session_.RejectCall(rejected));
  ASSERT_TRUE(session_.ForwardCall(forwarded, "vm:101", "", ""));
  // The answers to the accepted call's states count as responses too and may come before the
  // last decision, so wait for that decision itself (decisions are read in the order written).
  const auto end = std::chrono::steady_clock::now() + 5s;
  for (;;) {
    const auto last = sim_->decision(forwarded);
    if (last && last->kind != PbxSimulator::OfferDecision::kPending) break;
    ASSERT_LT(std::chrono::steady_clock::now(), end) << "no decision on the forwarded call";
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_EQ(sim_->decision(accepted)->kind, PbxSimulator::OfferDecision::kAccept);
  EXPECT_EQ(sim_->decision(rejected)->kind, PbxSimulator::OfferDecision::kDecline);
  EXPECT_EQ(sim_->decision(forwarded)->kind, PbxSimulator::OfferDecision::kRedirect);
  // Accepted under remote control, the offer became a call of this connection.
  EXPECT_TRUE(waitForState(accepted, 2));
}

TEST_P(SessionSimTest, SubscriptionsAndTheirNotifications) {
  login();
  ASSERT_TRUE(session_.GetExtension("101"));
  EXPECT_TRUE(waitFor<ExtensionGetNotification>(
      [](const auto& n) { return n.found && n.extension == "101"; }));
  const CallId ids[] = {session_.SubscribeToVoiceMail("101"),
                        session_.SubscribeToDialog("101"),
                        session_.SubscribeToPresence("101"),
                        session_.SubscribeToCDR(),
                        session_.SubscribeToCR(),
                        session_.SubscribeToExtList()};
  for (const CallId id : ids) {
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(waitFor<SubscriptionConfirmedNotification>(
        [&](const auto& n) { return n.subscriptionId == formatId(id) && n.confirmed; }));
  }
  run("mail 101 tel:5550001 42 3");
  run("cdr tel:1 tel:2 61 stats");
  run("dialog 101 77 2");
  run("presence 101 1");
  run("extlist");
  run("originate 201 tel:100 tel:200 9XX");
  EXPECT_TRUE(waitFor<MailArrivedNotification>([&](const auto& n) {
    return n.subscriptionId == formatId(ids[0]) && n.from == "tel:5550001" && n.mailId == 3;
  }));
  EXPECT_TRUE(waitFor<DialogArrivedNotification>(
      [](const auto& n) { return n.dialogs.size() == 1 && n.dialogs[0].callId == 77; }));
  EXPECT_TRUE(waitFor<PresenceArrivedNotification>([](const auto& n) { return n.doNotDisturb; }));
  EXPECT_TRUE(waitFor<CDRArrivedNotification>(
      [](const auto& n) { return n.record.duration == 61 && n.statistics.rtpTxCodec == "PCMA"; }));
  EXPECT_TRUE(waitFor<ExtListArrivedNotification>([](const auto& n) {
    return n.extensions.size() == 1 && n.extensions[0].extension == "101";
  }));
  ASSERT_TRUE(waitFor<CallOriginatedNotification>(
      [](const auto& n) { return n.caller == "pbx:201" && n.callee == "tel:200"; }));
  const CallId routed = parseId(owner_.all<CallOriginatedNotification>().at(0).callId);
  ASSERT_TRUE(session_.ResponseToCRCall(routed, true));
  EXPECT_TRUE(waitForState(routed, 2));

  for (const CallId id : ids) EXPECT_TRUE(session_.Unsubscribe(id));
  EXPECT_FALSE(session_.ResponseToCRCall(routed, false));
  ASSERT_TRUE(sim_->waitForReceived(kUnsubscribe, 6));
  EXPECT_TRUE(owner_.all<RequestFailedNotification>().empty());
}

TEST_P(SessionSimTest, SystemServiceAndUploads) {
  login();
  std::string uniqueId, version;
  ASSERT_TRUE(session_.GetSystemInfo(uniqueId, version));
  EXPECT_EQ(uniqueId, "PBXSIM-0001");
  EXPECT_EQ(version, "Sim-5.1.26-PBX");

  testsupport::TempFolder folder;
  const auto path = folder.path() / "greeting.wav";
  std::string bytes(5000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31 + 1);
  std::ofstream(path, std::ios::binary) << bytes;
  ASSERT_TRUE(session_.TransferFile("101", path.string()));
  EXPECT_EQ(sim_->file("101", "greeting.wav"), bytes);
  std::string list;
  ASSERT_TRUE(session_.GetWAVFiles("101", list));
  EXPECT_EQ(list, "greeting.wav:");
  ASSERT_TRUE(session_.DeleteFile("101", "greeting.wav"));
  ASSERT_TRUE(session_.GetWAVFiles("101", list));
  EXPECT_EQ(list, "");
  ASSERT_TRUE(session_.UpdateConfiguration(path.string()));
  EXPECT_EQ(sim_->file("", "greeting.wav"), bytes);

  run("fault getsysteminfo 3 busy");
  ASSERT_TRUE(session_.GetSystemInfo(uniqueId, version));
  EXPECT_EQ(uniqueId, "(Failed)");
  run("fault beginfiletransfer 4 full");
  EXPECT_FALSE(session_.TransferFile("101", path.string()));
  // The refusal left the stream in step: requests still pair with their answers.
  ASSERT_TRUE(session_.GetWAVFiles("101", list));
  EXPECT_TRUE(owner_.notifications().empty());
}

TEST_P(SessionSimTest, PbxCloseFailsOutstandingRequestsThenDisconnects) {
  login();
  run("stall on");
  ASSERT_TRUE(session_.CloseCall(11));
  ASSERT_TRUE(session_.CloseCall(12));
  ASSERT_TRUE(sim_->waitForReceived(kCloseCall, 2));
  run("close");
  ASSERT_TRUE(waitFor<DisconnectedNotification>());
  EXPECT_EQ(owner_.all<RequestFailedNotification>(),
            (std::vector<RequestFailedNotification>{{"11", 102, "Connection closed remotely"},
                                                    {"12", 102, "Connection closed remotely"}}));
  EXPECT_EQ(session_.state(), SessionState::kIdle);
}

INSTANTIATE_TEST_SUITE_P(PlainAndTls, SessionSimTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Tls" : "Plain"; });

}  // namespace
}  // namespace telvane
