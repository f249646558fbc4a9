// Connection, login, close and the session's states, against a scripted peer.
#include <gtest/gtest.h>

#include <future>

#include "session_test_support.h"
#include "telvane/net/address_record.h"
#include "telvane/protocol/call_events.h"
#include "telvane/protocol/login.h"
#include "telvane/session/pbx_session.h"
#include "tests/support/held_port.h"

namespace telvane {
namespace {

using namespace std::chrono_literals;
using testing::LoginAnswer;
using testing::RecordingOwner;
using testing::ScriptedPeer;

bool waitForState(const PbxSession& session, SessionState state,
                  std::chrono::milliseconds limit = 5s) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (session.state() != state) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

TEST(SessionConnectTest, LogsInAndDisconnectsWithoutEvents) {
  RecordingOwner owner;
  ScriptedPeer peer;
  PbxSession session(owner);
  EXPECT_FALSE(session.Disconnect());
  ASSERT_TRUE(session.Connect("127.0.0.1", peer.port(), 0, "101", "secret"));
  EXPECT_EQ(session.state(), SessionState::kLoggedIn);
  EXPECT_FALSE(session.peerFingerprint());

  // Requests still outstanding at a local close are dropped silently.
  EXPECT_TRUE(session.CloseCall(7));
  ASSERT_TRUE(peer.nextMessage());
  EXPECT_TRUE(session.Disconnect());
  EXPECT_EQ(session.state(), SessionState::kIdle);
  EXPECT_TRUE(peer.waitClientClosed());
  EXPECT_FALSE(session.Disconnect());
  EXPECT_TRUE(owner.notifications().empty());
}

TEST(SessionConnectTest, RefusedOrFaultedLoginFailsAndTheLoopCloses) {
  for (const LoginAnswer answer : {LoginAnswer::kRefuse, LoginAnswer::kFault}) {
    RecordingOwner owner;
    ScriptedPeer peer(answer);
    PbxSession session(owner);
    EXPECT_FALSE(session.SConnect("127.0.0.1", peer.port(), 5, "101", "1700000000", "abc"));
    EXPECT_TRUE(peer.waitClientClosed());
    EXPECT_TRUE(waitForState(session, SessionState::kIdle));
    EXPECT_TRUE(owner.notifications().empty());
    EXPECT_EQ(session.timeout(), 5);
  }
}

TEST(SessionConnectTest, UnansweredLoginFailsAtTheRequestTimeout) {
  RecordingOwner owner;
  ScriptedPeer peer(LoginAnswer::kNone);
  PbxSession session(owner);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(session.Connect("127.0.0.1", peer.port(), 1, "101", "secret"));
  // Released when the loop gives up on the request, not at the caller's own limit (6 s).
  EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
  EXPECT_TRUE(peer.waitClientClosed());
  EXPECT_TRUE(owner.notifications().empty());
}

TEST(SessionConnectTest, ClosedPortFailsPromptlyWithoutEvents) {
  const testsupport::ClosedPort closed;
  RecordingOwner owner;
  PbxSession session(owner);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(session.Connect("127.0.0.1", closed.port(), 20, "101", "secret"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  EXPECT_TRUE(waitForState(session, SessionState::kIdle));
  EXPECT_TRUE(owner.notifications().empty());
}

// The receive thread closes a failed attempt's connection after the call returned; a host that
// tries again at once (a reconnect timer, an impatient user) must not be turned away for that.
TEST(SessionConnectTest, AFailedAttemptDoesNotTurnAwayTheNextOne) {
  RecordingOwner owner;
  ScriptedPeer refusing(LoginAnswer::kRefuse);
  ScriptedPeer accepting;
  const testsupport::ClosedPort closed;
  PbxSession session(owner);
  for (int attempt = 0; attempt < 10; ++attempt) {
    SCOPED_TRACE(attempt);
    EXPECT_FALSE(session.SConnect("127.0.0.1", refusing.port(), 5, "101", "1700000000", "abc"));
    EXPECT_TRUE(session.SetConnectionMode(false));
    EXPECT_FALSE(session.Connect("127.0.0.1", closed.port(), 5, "101", "secret"));
    ASSERT_TRUE(session.Connect("127.0.0.1", accepting.port(), 5, "101", "secret"));
    ASSERT_TRUE(session.Disconnect());
  }
  EXPECT_TRUE(owner.notifications().empty());
}

TEST(SessionConnectTest, TimeoutArgumentIsKeptAcrossConnections) {
  RecordingOwner owner;
  ScriptedPeer peer;
  PbxSession session(owner);
  EXPECT_EQ(session.timeout(), kDefaultSessionTimeout);
  ASSERT_TRUE(session.Connect("127.0.0.1", peer.port(), -3, "101", "secret"));
  EXPECT_EQ(session.timeout(), 20);
  ASSERT_TRUE(session.Disconnect());
  ASSERT_TRUE(session.Connect("127.0.0.1", peer.port(), 30, "101", "secret"));
  ASSERT_TRUE(session.Disconnect());
  ASSERT_TRUE(session.Connect("127.0.0.1", peer.port(), 0, "101", "secret"));
  EXPECT_EQ(session.timeout(), 30);
  EXPECT_EQ(peer.connectionsAccepted(), 3u);
}

TEST(SessionConnectTest, ConnectAndModeChangeRefusedUnlessIdle) {
  RecordingOwner owner;
  ScriptedPeer peer(LoginAnswer::kNone);
  PbxSession session(owner);
  auto login = std::async(std::launch::async, [&] {
    return session.Connect("127.0.0.1", peer.port(), 20, "101", "secret");
  });
  ASSERT_TRUE(waitForState(session, SessionState::kConnected));
  EXPECT_FALSE(session.Connect("127.0.0.1", peer.port(), 20, "101", "secret"));
  EXPECT_FALSE(session.SetConnectionMode(true));
  EXPECT_FALSE(session.Configure({}));

  // Notifications before the login is accepted are answered on the wire but not delivered.
  CallStateChangedMethod early;
  early.setState(5, 2);
  ASSERT_TRUE(peer.waitAccepted(1));
  ASSERT_TRUE(peer.writeMessage(early));
  ASSERT_TRUE(peer.nextMessage());  // the automatic answer

  AuthenticateResponseMethod accept;
  accept.setResult(true, "");
  peer.writeMessage(accept);
  ASSERT_TRUE(login.get());
  EXPECT_FALSE(session.Connect("127.0.0.1", peer.port(), 20, "101", "secret"));
  EXPECT_FALSE(session.SetConnectionMode(true));
  EXPECT_FALSE(session.secure());
  ASSERT_TRUE(session.Disconnect());
  EXPECT_TRUE(session.SetConnectionMode(true));
  EXPECT_TRUE(session.secure());
  EXPECT_TRUE(owner.notifications().empty());
}

TEST(SessionConnectTest, DestroyingALoggedInSessionClosesQuietly) {
  RecordingOwner owner;
  ScriptedPeer peer;
  {
    PbxSession session(owner);
    ASSERT_TRUE(session.Connect("127.0.0.1", peer.port(), 5, "101", "secret"));
  }
  EXPECT_TRUE(peer.waitClientClosed());
  EXPECT_TRUE(owner.notifications().empty());
}

TEST(SessionConnectTest, RemoteCloseRaisesDisconnectedOnceAndDropsTheTail) {
  RecordingOwner owner;
  ScriptedPeer peer;
  PbxSession session(owner);
  ASSERT_TRUE(session.Connect("127.0.0.1", peer.port(), 5, "101", "secret"));
  peer.write("<?xml version=\"1.0\"?>\r\n<methodCall>");  // never finished
  peer.closeClient();
  ASSERT_TRUE(owner.waitForCount(1));
  EXPECT_TRUE(std::holds_alternative<DisconnectedNotification>(owner.notifications()[0]));
  EXPECT_EQ(session.state(), SessionState::kIdle);

  // The next connection starts with an empty buffer.
  ASSERT_TRUE(session.Connect("127.0.0.1", peer.port(), 5, "101", "secret"));
  CallStateChangedMethod change;
  change.setState(5, 2);
  peer.writeMessage(change);
  ASSERT_TRUE(owner.waitForCount(2));
  EXPECT_EQ(owner.all<CallStateChangedNotification>().size(), 1u);
  EXPECT_EQ(owner.all<DisconnectedNotification>().size(), 1u);
}

TEST(SessionConnectTest, EndlessMessageCountsAsRemoteClose) {
  RecordingOwner owner;
  ScriptedPeer peer;
  PbxSession session(owner);
  ASSERT_TRUE(session.Connect("127.0.0.1", peer.port(), 5, "101", "secret"));
  ASSERT_TRUE(session.CloseCall(3));
  ASSERT_TRUE(peer.nextMessage());
  const std::string block(1 << 20, 'x');
  for (int i = 0; i < 17 && !owner.waitForCount(2, 0ms); ++i) peer.write(block);
  ASSERT_TRUE(owner.waitForCount(2));
  const auto notes = owner.notifications();
  EXPECT_EQ(std::get<RequestFailedNotification>(notes[0]),
            (RequestFailedNotification{"3", 102, "Connection closed remotely"}));
  EXPECT_TRUE(std::holds_alternative<DisconnectedNotification>(notes[1]));
  EXPECT_TRUE(peer.waitClientClosed());
}

TEST(SessionConnectTest, OwnerThatCannotReceiveGetsNothing) {
  RecordingOwner owner;
  owner.setReceiving(false);
  ScriptedPeer peer;
  PbxSession session(owner);
  ASSERT_TRUE(session.Connect("127.0.0.1", peer.port(), 5, "101", "secret"));
  CallStateChangedMethod change;
  change.setState(5, 2);
  peer.writeMessage(change);
  ASSERT_TRUE(peer.nextMessage());  // answered all the same
  peer.closeClient();
  EXPECT_TRUE(waitForState(session, SessionState::kIdle));
  EXPECT_TRUE(owner.notifications().empty());
}

}  // namespace
}  // namespace telvane
