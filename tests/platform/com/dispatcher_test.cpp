// The owner-thread dispatcher.
#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/com/owner_dispatcher.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

bool readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 0) == 1;
}

TEST(PollableDispatcherTest, SendRunsOnTheOwnerThreadWhenPumped) {
  PollableDispatcher dispatcher;
  EXPECT_FALSE(readable(dispatcher.fd()));
  const auto owner = std::this_thread::get_id();
  std::atomic<bool> returned{false};
  std::thread::id ranOn;
  std::thread sender([&] {
    EXPECT_TRUE(dispatcher.send([&] { ranOn = std::this_thread::get_id(); }));
    returned = true;
  });
  // Nothing runs until the owner pumps; the descriptor says there is work.
  pollfd p{dispatcher.fd(), POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 2000), 1);
  EXPECT_FALSE(returned);
  EXPECT_EQ(dispatcher.pump(), 1u);
  sender.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(ranOn, owner);
  EXPECT_FALSE(readable(dispatcher.fd()));
  // On the owner thread itself, send runs at once.
  bool inline_ = false;
  EXPECT_TRUE(dispatcher.send([&] { inline_ = true; }));
  EXPECT_TRUE(inline_);
}

TEST(PollableDispatcherTest, ShutdownReleasesAWaitingSender) {
  PollableDispatcher dispatcher;
  std::atomic<int> result{-1};
  std::thread sender([&] { result = dispatcher.send([] {}) ? 1 : 0; });
  pollfd p{dispatcher.fd(), POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 2000), 1);
  dispatcher.shutdown();
  sender.join();
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(dispatcher.post([] {}));
}

}  // namespace
}  // namespace platform
