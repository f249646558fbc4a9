#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "platform/ui/form.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/toolkit.h"

namespace platform::ui {
namespace {

TEST(MessageLoop, SendFromAnotherThreadRunsOnTheOwnerAndWaitsForTheResult) {
  RealClock clock;
  MessageLoop loop(clock);
  std::thread::id ranOn;
  std::atomic<bool> sent{false};
  std::optional<int> result;
  std::thread sender([&] {
    result = loop.send([&] {
      ranOn = std::this_thread::get_id();
      return 42;
    });
    sent = true;
    loop.quit();
  });
  loop.run();
  sender.join();
  EXPECT_TRUE(sent);
  EXPECT_EQ(result, 42);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(MessageLoop, SendReachesTheOwnerInsideANestedModalLoop) {
  RealClock clock;
  MessageLoop loop(clock);
  Toolkit toolkit(loop);
  Form dialog(toolkit, "dlg");
  std::thread sender;
  dialog.onLoad = [&] {
    sender = std::thread([&] {
      // Delivered while the owner sits in the modal loop; the handler closes the dialog.
      auto depth = loop.send([&] {
        int d = loop.depth();
        dialog.hide();
        return d;
      });
      EXPECT_EQ(depth, 1);
    });
  };
  dialog.show(ShowMode::Modal);
  sender.join();
  EXPECT_FALSE(dialog.visible());
}

TEST(MessageLoop, ShutdownReleasesASenderThatWaits) {
  ManualClock clock;
  MessageLoop loop(clock);
  std::promise<void> queued;
  std::optional<int> result = 7;
  std::thread sender([&] {
    loop.post([] {});
    queued.set_value();
    result = loop.send([] { return 1; });
  });
  queued.get_future().wait();
  // Give the sender a moment to be waiting; either way it must not hang or run the task.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  loop.shutdown();
  sender.join();
  EXPECT_EQ(result, std::nullopt);
  EXPECT_FALSE(loop.post([] {}));
  EXPECT_FALSE(loop.send([] { return 2; }).has_value());
}

TEST(MessageLoop, PostedTasksRunInOrderAndDoEventsOnlyRunsWhatWasQueued) {
  ManualClock clock;
  MessageLoop loop(clock);
  std::vector<int> order;
  std::function<void()> again = [&] {
    order.push_back(0);
    loop.post(again);  // reposts itself forever
  };
  std::thread poster([&] {
    loop.post([&] { order.push_back(1); });
    loop.post([&] { order.push_back(2); });
    loop.post(again);
  });
  poster.join();
  loop.doEvents();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 0}));
  loop.doEvents();
  EXPECT_EQ(order.size(), 4u);
  loop.shutdown();
}

TEST(MessageLoop, SendOnTheOwnerThreadRunsAtOnce) {
  ManualClock clock;
  MessageLoop loop(clock);
  EXPECT_EQ(loop.send([] { return std::string("now"); }), "now");
}

}  // namespace
}  // namespace platform::ui
