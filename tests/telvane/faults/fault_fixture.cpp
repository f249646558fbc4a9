#include "tests/telvane/faults/fault_fixture.h"

#include <thread>

namespace telvane::testing {

namespace {

using Clock = std::chrono::steady_clock;

// A synchronous call may take its wait limit (time-out + 5 s); the rest is scheduling.
constexpr auto kSyncBound = std::chrono::milliseconds(kTimeout * 1000 + 5000 + 1500);

}  // namespace

void FaultFixture::SetUpTestSuite() {
  certs_ = std::make_unique<TempDir>();
  certsMade_ = RunCommand({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                           keyFile(), "-out", certFile(), "-days", "2", "-subj", "/CN=127.0.0.1"},
                          certs_->path() / "openssl.log");
}

void FaultFixture::TearDownTestSuite() {
  certs_.reset();
}

std::string FaultFixture::certFile() {
  return (certs_->path() / "cert.pem").string();
}

std::string FaultFixture::keyFile() {
  return (certs_->path() / "key.pem").string();
}

void FaultFixture::adjustOptions(tools::PbxSimulator::Options& options) {
  options.answerDelay = 20ms;
  options.promptLength = 20ms;
  if (secure()) {
    options.tlsCertFile = certFile();
    options.tlsKeyFile = keyFile();
  }
}

void FaultFixture::SetUp() {
  if (secure()) {
    ASSERT_TRUE(certsMade_) << "openssl could not make the certificate";
  }
  startSimulator();
  if (HasFatalFailure()) return;
  threadsBefore_ = threadCount();
  createControl();
  ASSERT_TRUE(control_->SetConnectionMode(secure()));
}

void FaultFixture::TearDown() {
  control_.reset();
  // A joined thread may linger in the task list for a moment.
  const auto deadline = Clock::now() + 2s;
  while (threadCount() != threadsBefore_ && Clock::now() < deadline) {
    std::this_thread::sleep_for(5ms);
  }
  EXPECT_EQ(threadCount(), threadsBefore_) << "a thread outlived the control";
  SimFixture::TearDown();
}

bool FaultFixture::login(std::uint16_t port) {
  const auto start = Clock::now();
  const bool ok = control_->Connect("127.0.0.1", static_cast<int16_t>(port ? port : sim_->port()),
                                    kTimeout, "101", "secret");
  EXPECT_LE(Clock::now() - start, kSyncBound) << "Connect overran its wait limit";
  return ok;
}

void FaultFixture::run(const std::string& line) {
  const std::string outcome = sim_->command(line);
  EXPECT_NE(outcome.find("\"ok\":true"), std::string::npos) << line << ": " << outcome;
}

bool FaultFixture::waitIdle(std::chrono::milliseconds limit) {
  return pumpUntil([this] { return control_->session().state() == SessionState::kIdle; }, limit);
}

std::string FaultFixture::trackCall() {
  const std::string id = control_->CreateCall("system", "pbx:101", "Ringova");
  EXPECT_NE(id, "0");
  ledger_.expect(id, "CallStateChanged " + id + " 0");
  return id;
}

std::string FaultFixture::trackSubscription() {
  const std::string id = control_->SubscribeToCDR();
  EXPECT_NE(id, "0");
  ledger_.expect(id, "SubscriptionConfirmed " + id + " true 0");
  return id;
}

bool FaultFixture::trackSync(const std::function<bool()>& call) {
  const auto start = Clock::now();
  const bool ok = call();
  EXPECT_LE(Clock::now() - start, kSyncBound) << "a synchronous call overran its wait limit";
  ledger_.returned(ok);
  return ok;
}

void FaultFixture::checkEndings(std::size_t minDisconnects, std::size_t maxDisconnects) {
  // Time-outs come one pass after another; a few seconds cover every scenario.
  pumpUntil([this] { return ledger_.settled(events_); }, 10s);
  pumpFor(200ms);
  EXPECT_TRUE(ledger_.check(events_));
  const std::size_t disconnects = countEvents(events_, "Disconnected");
  EXPECT_GE(disconnects, minDisconnects);
  EXPECT_LE(disconnects, maxDisconnects);
}

void FaultFixture::worksAgain() {
  if (control_->session().state() == SessionState::kLoggedIn) {
    ASSERT_TRUE(control_->Disconnect());
  }
  ASSERT_TRUE(waitIdle()) << "the session did not return to Idle";
  pumpFor(50ms);  // anything still on its way belongs to the scenario
  events_.clear();
  ledger_.clear();
  ASSERT_TRUE(login()) << "the control did not log in again";
  const std::string id = trackCall();
  ASSERT_TRUE(pumpUntilEvent("CallStateChanged " + id + " 2"));
  ASSERT_TRUE(control_->CloseCall(id));
  ledger_.expect(id, "CallStateChanged " + id + " 3");
  checkEndings(0, 0);
  EXPECT_TRUE(control_->Disconnect());
}

}  // namespace telvane::testing
