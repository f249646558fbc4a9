// The relay that carries notifications from the receive thread to the host's thread.
#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/owner_dispatcher.h"
#include "telvane/control/notification_relay.h"

namespace telvane {
namespace {

using namespace std::chrono_literals;

// Pumps until `done` holds or two seconds passed.
template <class Pred>
bool pumpUntil(platform::PollableDispatcher& d, Pred done) {
  auto deadline = std::chrono::steady_clock::now() + 2s;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    d.pumpFor(10ms);
  }
  return true;
}

std::string callIdOf(const Notification& n) {
  return std::get<CallStateChangedNotification>(n).callId;
}

Notification state(const std::string& id) {
  return CallStateChangedNotification{id, 2};
}

TEST(NotificationRelayTest, DeliverWaitsUntilTheOwnerRaisedIt) {
  platform::PollableDispatcher dispatcher;
  std::vector<std::string> raised;
  NotificationRelay relay([&](const Notification& n) { raised.push_back(callIdOf(n)); });
  relay.setDispatcher(&dispatcher);
  std::atomic<bool> delivered{false};
  std::thread receiver([&] {
    relay.deliver(state("1"));
    delivered = true;
  });
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(delivered);
  ASSERT_TRUE(pumpUntil(dispatcher, [&] { return delivered.load(); }));
  receiver.join();
  EXPECT_EQ(raised, std::vector<std::string>{"1"});
}

TEST(NotificationRelayTest, WithoutDispatcherNothingIsRaised) {
  int raised = 0;
  NotificationRelay relay([&](const Notification&) { ++raised; });
  EXPECT_FALSE(relay.canReceive());
  relay.deliver(state("1"));  // returns at once
  EXPECT_EQ(raised, 0);
}

// The receive thread is not held up while the owner is inside a synchronous call; what came
// meanwhile is raised, in order, once the call has ended and the owner pumps.
TEST(NotificationRelayTest, NotificationsDuringASynchronousCallWaitForItsEnd) {
  platform::PollableDispatcher dispatcher;
  std::vector<std::string> log;
  NotificationRelay relay([&](const Notification& n) { log.push_back("event " + callIdOf(n)); });
  relay.setDispatcher(&dispatcher);
  {
    NotificationRelay::SyncScope sync(relay);
    std::thread receiver([&] {
      relay.deliver(state("1"));
      relay.deliver(state("2"));
    });
    receiver.join();  // would hang if deliver waited for the owner
    dispatcher.pump();
    log.push_back("returned");
  }
  log.push_back("after");
  dispatcher.pump();
  EXPECT_EQ(log, (std::vector<std::string>{"returned", "after", "event 1", "event 2"}));
}

// A sender already waiting when the owner enters a synchronous call is let go; its
// notification is raised after the call, ahead of later ones.
TEST(NotificationRelayTest, AWaitingSenderIsReleasedWhenASynchronousCallBegins) {
  platform::PollableDispatcher dispatcher;
  std::vector<std::string> log;
  NotificationRelay relay([&](const Notification& n) { log.push_back(callIdOf(n)); });
  relay.setDispatcher(&dispatcher);
  std::atomic<int> delivered{0};
  std::thread receiver([&] {
    relay.deliver(state("1"));
    ++delivered;
    relay.deliver(state("2"));
    ++delivered;
  });
  pollfd p{dispatcher.fd(), POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 2000), 1);  // the first one is waiting for the owner
  {
    NotificationRelay::SyncScope sync(relay);
    receiver.join();
    EXPECT_EQ(delivered, 2);
    dispatcher.pump();  // the task posted for the first one: not inside the call
    EXPECT_TRUE(log.empty());
  }
  EXPECT_TRUE(log.empty());
  dispatcher.pump();
  EXPECT_EQ(log, (std::vector<std::string>{"1", "2"}));
}

TEST(NotificationRelayTest, CloseReleasesTheSenderAndRaisesNothingMore) {
  platform::PollableDispatcher dispatcher;
  int raised = 0;
  NotificationRelay relay([&](const Notification&) { ++raised; });
  relay.setDispatcher(&dispatcher);
  std::thread receiver([&] { relay.deliver(state("1")); });
  pollfd p{dispatcher.fd(), POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 2000), 1);
  relay.close();
  receiver.join();
  EXPECT_FALSE(relay.canReceive());
  dispatcher.pump();
  EXPECT_EQ(raised, 0);
}

// Admits what its predicate admits, counting the questions.
class TestGate : public DeliveryGate {
 public:
  explicit TestGate(std::function<bool(const Notification&)> admit) : admit_(std::move(admit)) {}
  bool admits(const Notification& n) const override {
    ++asked;
    return admit_(n);
  }
  mutable std::atomic<int> asked{0};

 private:
  std::function<bool(const Notification&)> admit_;
};

std::vector<Notification> batchOf(std::initializer_list<const char*> ids) {
  std::vector<Notification> batch;
  for (const char* id : ids) batch.push_back(state(id));
  return batch;
}

// One task raises the whole batch in order, asking the gate before each; the sender is let go
// once, after the last.
TEST(NotificationRelayTest, ABatchIsRaisedInOrderByOneTaskAndTheGateDecidesEach) {
  platform::PollableDispatcher dispatcher;
  std::vector<std::string> raised;
  NotificationRelay relay([&](const Notification& n) { raised.push_back(callIdOf(n)); });
  relay.setDispatcher(&dispatcher);
  TestGate gate([](const Notification& n) { return callIdOf(n) != "2"; });
  std::atomic<bool> delivered{false};
  std::thread receiver([&] {
    auto batch = batchOf({"1", "2", "3", "4"});
    relay.deliverAll(batch, gate);
    delivered = true;
  });
  std::size_t tasks = 0;
  auto deadline = std::chrono::steady_clock::now() + 2s;
  while (!delivered && std::chrono::steady_clock::now() < deadline) {
    tasks += dispatcher.pumpFor(10ms);
  }
  receiver.join();
  EXPECT_EQ(tasks, 1u);
  EXPECT_EQ(gate.asked, 4);
  EXPECT_EQ(raised, (std::vector<std::string>{"1", "3", "4"}));
}

// Started, a batch leaves the sender free until it asks to finish; finishing waits for the owner.
TEST(NotificationRelayTest, StartingABatchReturnsAtOnceAndFinishingWaitsForIt) {
  platform::PollableDispatcher dispatcher;
  std::vector<std::string> raised;
  NotificationRelay relay([&](const Notification& n) { raised.push_back(callIdOf(n)); });
  relay.setDispatcher(&dispatcher);
  TestGate gate([](const Notification&) { return true; });
  std::atomic<bool> started{false}, finished{false};
  std::thread receiver([&] {
    auto batch = batchOf({"1", "2"});
    relay.startDelivery(batch, gate);
    started = true;
    relay.finishDelivery();
    finished = true;
  });
  // Nothing pumped yet: the start must not wait for the owner.
  auto deadline = std::chrono::steady_clock::now() + 2s;
  while (!started && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
  EXPECT_TRUE(started);
  std::this_thread::sleep_for(20ms);
  EXPECT_FALSE(finished);
  ASSERT_TRUE(pumpUntil(dispatcher, [&] { return finished.load(); }));
  receiver.join();
  EXPECT_EQ(raised, (std::vector<std::string>{"1", "2"}));
}

// A handler that closes the relay (the control going away) ends the batch there.
TEST(NotificationRelayTest, ClosingInAHandlerDropsTheRestOfTheBatch) {
  platform::PollableDispatcher dispatcher;
  std::vector<std::string> raised;
  NotificationRelay* self = nullptr;
  NotificationRelay relay([&](const Notification& n) {
    raised.push_back(callIdOf(n));
    self->close();
  });
  self = &relay;
  relay.setDispatcher(&dispatcher);
  TestGate gate([](const Notification&) { return true; });
  std::thread receiver([&] {
    auto batch = batchOf({"1", "2", "3"});
    relay.deliverAll(batch, gate);
  });
  pollfd p{dispatcher.fd(), POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 2000), 1);
  dispatcher.pump();
  receiver.join();  // released by the close
  EXPECT_EQ(raised, std::vector<std::string>{"1"});
}

// During a synchronous call a batch is only queued, and raised after it ahead of later ones.
TEST(NotificationRelayTest, ABatchDuringASynchronousCallWaitsForItsEnd) {
  platform::PollableDispatcher dispatcher;
  std::vector<std::string> raised;
  NotificationRelay relay([&](const Notification& n) { raised.push_back(callIdOf(n)); });
  relay.setDispatcher(&dispatcher);
  TestGate gate([](const Notification&) { return true; });
  {
    NotificationRelay::SyncScope sync(relay);
    std::thread receiver([&] {
      auto batch = batchOf({"1", "2"});
      relay.deliverAll(batch, gate);
    });
    receiver.join();
    dispatcher.pump();
    EXPECT_TRUE(raised.empty());
  }
  std::thread later([&] { relay.deliver(state("3")); });
  ASSERT_TRUE(pumpUntil(dispatcher, [&] { return raised.size() == 3; }));
  later.join();
  EXPECT_EQ(raised, (std::vector<std::string>{"1", "2", "3"}));
}

}  // namespace
}  // namespace telvane
