// Helpers for the session tests: an owner that records what it is handed, and a scripted PBX
// peer on 127.0.0.1 that answers the login and then lets the test read and write the stream.
#ifndef TESTS_TELVANE_SESSION_SESSION_TEST_SUPPORT_H_
#define TESTS_TELVANE_SESSION_SESSION_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "telvane/net/bsd_socket.h"
#include "telvane/net/wake_event.h"
#include "telvane/session/pbx_session.h"
#include "telvane/session/session_owner.h"
#include "telvane/xmlrpc/xmlrpc_method.h"

namespace telvane::testing {

using namespace std::chrono_literals;

// Records every notification; runs them on the receive thread (there is no host thread here).
class RecordingOwner : public SessionOwner {
 public:
  void deliver(const Notification& notification) override;
  // Notes the batch's size, then delivers as every owner does by default.
  void deliverAll(std::span<Notification> batch, const DeliveryGate& gate) override;
  bool canReceive() const override { return receiving_; }

  // The sizes of the batches handed over so far, in order.
  std::vector<std::size_t> batchSizes() const;

  void setReceiving(bool receiving) { receiving_ = receiving; }
  // Runs on the receive thread after each notification was recorded.
  void onDeliver(std::function<void(const Notification&)> action);

  std::vector<Notification> notifications() const;
  // Waits until at least `count` notifications were delivered.
  bool waitForCount(std::size_t count, std::chrono::milliseconds limit = 5s) const;
  // Waits until one delivered notification satisfies `match`.
  bool waitForMatch(const std::function<bool(const Notification&)>& match,
                    std::chrono::milliseconds limit = 5s) const;
  // The notifications of one kind, in order.
  template <typename T>
  std::vector<T> all() const {
    std::vector<T> found;
    for (const auto& n : notifications()) {
      if (const auto* item = std::get_if<T>(&n)) found.push_back(*item);
    }
    return found;
  }

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<Notification> notifications_;
  std::vector<std::size_t> batchSizes_;
  std::function<void(const Notification&)> action_;
  std::atomic<bool> receiving_{true};
};

// How the peer answers the login.
enum class LoginAnswer { kAccept, kRefuse, kFault, kNone };

// A PBX stand-in with exact control over the bytes on the wire. One client at a time. Its own
// thread reads and frames what the session writes; the test takes the messages in order and
// writes whatever it likes.
class ScriptedPeer {
 public:
  // Runs on the peer thread for each message after the login; it may read raw bytes.
  using Handler = std::function<void(ScriptedPeer& peer, const std::string& message)>;

  explicit ScriptedPeer(LoginAnswer login = LoginAnswer::kAccept);
  ~ScriptedPeer();
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  std::uint16_t port() const { return port_; }
  void setHandler(Handler handler);

  // Messages received after the login, in order (the handler sees them first).
  std::optional<std::string> nextMessage(std::chrono::milliseconds limit = 5s);
  // Whether nothing further arrives within `limit`.
  bool quietFor(std::chrono::milliseconds limit);
  std::size_t connectionsAccepted() const { return accepted_; }
  // Waits until `count` connections have been accepted: the client's connect can finish before
  // the peer thread has taken the connection, and writes before that go nowhere.
  bool waitAccepted(std::size_t count, std::chrono::milliseconds limit = 5s) const;

  // Writes raw bytes to the current client (any thread); false when that failed.
  bool write(std::string_view bytes);
  bool writeMessage(const XmlRpcMethod& message);
  // Closes the current client's connection.
  void closeClient();
  // Waits until the client closed its side.
  bool waitClientClosed(std::chrono::milliseconds limit = 5s);

  // Peer thread only (from a handler): takes exactly `count` raw bytes from the stream.
  std::string readRaw(std::size_t count, std::chrono::milliseconds limit = 5s);

 private:
  void run();
  void serveClient();
  bool fill(std::chrono::milliseconds limit);
  void answerLogin(const std::string& message);

  LoginAnswer login_;
  BsdSocket listener_{false};
  std::uint16_t port_ = 0;
  WakeEvent stop_;
  std::atomic<bool> stopping_{false};
  std::atomic<std::size_t> accepted_{0};

  std::mutex clientMutex_;  // guards the client socket's use
  std::unique_ptr<BsdSocket> client_;
  std::atomic<bool> clientClosed_{false};
  std::string buffer_;  // peer thread

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> messages_;
  Handler handler_;
  std::thread thread_;
};

// The text of `message` as it travels (terminator included).
std::string wireText(const XmlRpcMethod& message);

// A session logged in to a ScriptedPeer that accepts the login (time-out 5 s).
class LoggedInSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session_.Connect("127.0.0.1", peer_.port(), 5, "101", "secret"));
  }

  RecordingOwner owner_;
  ScriptedPeer peer_;
  PbxSession session_{owner_};
};

}  // namespace telvane::testing

#endif  // TESTS_TELVANE_SESSION_SESSION_TEST_SUPPORT_H_
