// Batched delivery of the messages of one read, and requests that the owner's thread writes
// itself, against a scripted peer.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "session_test_support.h"
#include "telvane/protocol/call_control.h"
#include "telvane/protocol/call_events.h"
#include "telvane/protocol/login.h"
#include "telvane/protocol/method_factory.h"
#include "telvane/session/pbx_session.h"
#include "telvane/xmlrpc/method_table.h"

namespace telvane {
namespace {

using namespace std::chrono_literals;
using testing::RecordingOwner;
using testing::ScriptedPeer;

std::string states(std::initializer_list<CallId> calls) {
  std::string text;
  for (const CallId id : calls) {
    CallStateChangedMethod changed;
    changed.setState(id, 2);
    text += testing::wireText(changed);
  }
  return text;
}

using SessionDeliveryTest = testing::LoggedInSessionTest;

TEST_F(SessionDeliveryTest, MessagesOfOneReadGoToTheOwnerAsOneBatchInOrder) {
  peer_.write(states({1, 2, 3}));
  ASSERT_TRUE(owner_.waitForCount(3));
  EXPECT_EQ(owner_.batchSizes(), std::vector<std::size_t>{3});
  const auto changed = owner_.all<CallStateChangedNotification>();
  ASSERT_EQ(changed.size(), 3u);
  EXPECT_EQ(changed[0].callId, "1");
  EXPECT_EQ(changed[1].callId, "2");
  EXPECT_EQ(changed[2].callId, "3");
  // Every call was answered before the owner saw the batch, each answer whole.
  for (int i = 0; i < 3; ++i) {
    const auto reply = peer_.nextMessage();
    ASSERT_TRUE(reply);
    EXPECT_EQ(parsePbxMethodCall(*reply).kind, ParsedCall::Kind::kNone);
  }
}

TEST_F(SessionDeliveryTest, AnOwnerThatStopsReceivingMidBatchGetsNoMore) {
  owner_.onDeliver([this](const Notification&) { owner_.setReceiving(false); });
  peer_.write(states({1, 2, 3}));
  ASSERT_TRUE(owner_.waitForCount(1));
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(peer_.nextMessage());
  EXPECT_FALSE(owner_.waitForCount(2, 50ms));
  EXPECT_EQ(owner_.batchSizes(), std::vector<std::size_t>{3});
}

// An owner that takes a batch at once and lets the session go on only when the test says so.
class DeferringOwner : public RecordingOwner {
 public:
  void startDelivery(std::span<Notification> batch, const DeliveryGate& gate) override {
    deliverAll(batch, gate);
  }
  void finishDelivery() override {
    std::unique_lock lock(mutex_);
    ++finishing_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return released_; });
  }
  void release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }
  bool waitFinishing(std::chrono::milliseconds limit = 5s) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return finishing_ > 0; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int finishing_ = 0;
  bool released_ = false;
};

TEST(SessionDeferredDeliveryTest, NothingHappensUntilTheBatchIsFinished) {
  DeferringOwner owner;
  ScriptedPeer peer;
  PbxSession session(owner);
  ASSERT_TRUE(session.Connect("127.0.0.1", peer.port(), 5, "101", "secret"));
  peer.write(states({1}));
  ASSERT_TRUE(owner.waitForCount(1));
  ASSERT_TRUE(peer.nextMessage());  // its answer went before the batch
  peer.write(states({2}));
  ASSERT_TRUE(owner.waitFinishing());
  EXPECT_TRUE(peer.quietFor(100ms));
  EXPECT_FALSE(owner.waitForCount(2, 10ms));
  owner.release();
  ASSERT_TRUE(owner.waitForCount(2));
  ASSERT_TRUE(peer.nextMessage());
}

// The owner's requests, written by its own thread or queued, keep their order on the wire and
// pair with their answers, while the receive thread writes its answers to the PBX's calls.
TEST_F(SessionDeliveryTest, OwnerWritesInterleaveWithAnswersAndStayPaired) {
  peer_.setHandler([](ScriptedPeer& peer, const std::string& message) {
    ParsedCall call = parsePbxMethodCall(message);
    if (call.kind != ParsedCall::Kind::kCall || call.method->type() != kGetExtension) return;
    const auto* lookup = static_cast<const GetExtensionMethod*>(call.method.get());
    GetExtensionResponseMethod found;
    found.setResult(true, std::string(lookup->user()));
    peer.write(states({7}) + testing::wireText(found));
  });
  constexpr int kCount = 50;
  for (int i = 0; i < kCount; ++i) ASSERT_TRUE(session_.GetExtension("u" + std::to_string(i)));

  std::vector<std::string> asked;
  int answers = 0;
  while (asked.size() < kCount || answers < kCount) {
    const auto message = peer_.nextMessage();
    ASSERT_TRUE(message) << asked.size() << " requests, " << answers << " answers";
    ParsedCall call = parsePbxMethodCall(*message);
    if (call.kind == ParsedCall::Kind::kCall) {
      ASSERT_EQ(call.method->type(), kGetExtension);
      asked.emplace_back(static_cast<const GetExtensionMethod*>(call.method.get())->user());
    } else {
      ASSERT_EQ(call.kind, ParsedCall::Kind::kNone) << *message;
      ++answers;
    }
  }
  ASSERT_TRUE(owner_.waitForCount(2 * kCount));
  const auto found = owner_.all<ExtensionGetNotification>();
  ASSERT_EQ(found.size(), std::size_t{kCount});
  for (int i = 0; i < kCount; ++i) {
    EXPECT_EQ(asked[i], "u" + std::to_string(i));
    EXPECT_EQ(found[i].extension, "u" + std::to_string(i));
  }
}

// Requests larger than the socket buffers while the PBX does not read: what the owner's write
// leaves is finished by the receive thread, and an answer to a PBX call written meanwhile does
// not cut into it.
TEST_F(SessionDeliveryTest, ARequestTheSocketTakesOnlyInPartIsFinishedWhole) {
  std::mutex mutex;
  std::condition_variable released;
  bool go = false;
  std::atomic<bool> holding{false};
  peer_.setHandler([&](ScriptedPeer&, const std::string& message) {
    if (message.find("hold") == std::string::npos) return;
    holding = true;
    std::unique_lock lock(mutex);
    released.wait(lock, [&] { return go; });
  });
  ASSERT_TRUE(session_.GetExtension("hold"));
  while (!holding) std::this_thread::sleep_for(1ms);

  std::thread releaser([&] {
    std::this_thread::sleep_for(50ms);
    peer_.write(states({9}));  // answered while the big requests are on their way
    std::this_thread::sleep_for(50ms);
    std::lock_guard lock(mutex);
    go = true;
    released.notify_all();
  });
  constexpr int kBig = 6;
  const std::string name(2 << 20, 'w');
  for (int i = 1; i <= kBig; ++i) ASSERT_TRUE(session_.PlayMessage(100 + i, name, 1));
  ASSERT_TRUE(session_.CloseCall(200));
  releaser.join();

  std::vector<CallId> order;
  std::vector<std::size_t> bigSizes;
  int answers = 0;
  for (int i = 0; i < kBig + 3; ++i) {  // the held lookup, the big ones, CloseCall, one answer
    const auto message = peer_.nextMessage(10s);
    ASSERT_TRUE(message);
    ParsedCall call = parsePbxMethodCall(*message);
    if (call.kind == ParsedCall::Kind::kNone) {
      ++answers;
      continue;
    }
    ASSERT_EQ(call.kind, ParsedCall::Kind::kCall) << message->substr(0, 200);
    if (call.method->type() == kGetExtension) continue;
    if (call.method->type() == kPlayMessage) bigSizes.push_back(message->size());
    order.push_back(call.method->idNumber());
  }
  EXPECT_EQ(answers, 1);
  EXPECT_EQ(order, (std::vector<CallId>{101, 102, 103, 104, 105, 106, 200}));
  ASSERT_EQ(bigSizes.size(), std::size_t{kBig});
  for (const std::size_t size : bigSizes) EXPECT_EQ(size, bigSizes.front());
}

}  // namespace
}  // namespace telvane
