#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "platform/ui/message_loop.h"
#include "platform/ui/timer.h"

namespace platform::ui {
namespace {

using namespace std::chrono_literals;

class TimerTest : public ::testing::Test {
 protected:
  ManualClock clock;
  MessageLoop loop{clock};
};

TEST_F(TimerTest, FiresEachIntervalOnlyWhileEnabled) {
  Timer t(loop);
  int ticks = 0;
  t.onTimer = [&] { ++ticks; };
  t.setInterval(3000);
  clock.advance(10s);
  loop.doEvents();
  EXPECT_EQ(ticks, 0);  // not enabled

  t.setEnabled(true);
  clock.advance(2999ms);
  loop.doEvents();
  EXPECT_EQ(ticks, 0);
  clock.advance(1ms);
  loop.doEvents();
  EXPECT_EQ(ticks, 1);
  clock.advance(3s);
  loop.doEvents();
  EXPECT_EQ(ticks, 2);

  // A late loop fires once, not once per missed interval.
  clock.advance(30s);
  loop.doEvents();
  EXPECT_EQ(ticks, 3);

  t.setEnabled(false);
  clock.advance(10s);
  loop.doEvents();
  EXPECT_EQ(ticks, 3);
}

TEST_F(TimerTest, IntervalChangesAndEnablingRestartTheCountdown) {
  Timer t(loop);
  int ticks = 0;
  t.onTimer = [&] { ++ticks; };
  t.setInterval(60000);
  t.setEnabled(true);
  clock.advance(50s);
  t.setInterval(30000);  // counts from now
  clock.advance(20s);
  loop.doEvents();
  EXPECT_EQ(ticks, 0);
  clock.advance(10s);
  loop.doEvents();
  EXPECT_EQ(ticks, 1);

  t.setEnabled(false);
  clock.advance(25s);
  t.setEnabled(true);
  clock.advance(25s);
  loop.doEvents();
  EXPECT_EQ(ticks, 1);
  t.setInterval(0);  // an interval of 0 never fires
  clock.advance(1h);
  loop.doEvents();
  EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, TwentySecondTimeOutEndsAModalWaitWithoutWaiting) {
  Timer timeout(loop);
  bool closed = false;
  timeout.setInterval(20000);
  timeout.onTimer = [&] {
    timeout.setEnabled(false);
    closed = true;
  };
  timeout.setEnabled(true);
  int idle = 0;
  // Stands in for the user who does nothing: each idle moment a second passes.
  loop.setIdleHandler([&] {
    ++idle;
    clock.advance(1s);
    return true;
  });
  auto start = std::chrono::steady_clock::now();
  loop.runUntil([&] { return closed; });
  EXPECT_EQ(idle, 20);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST_F(TimerTest, HandlerMayDestroyItsTimerOrRunANestedLoop) {
  auto doomed = std::make_unique<Timer>(loop);
  doomed->setInterval(100);
  doomed->setEnabled(true);
  doomed->onTimer = [&] { doomed.reset(); };

  Timer outer(loop);
  int outerTicks = 0, nestedRuns = 0;
  outer.setInterval(100);
  outer.setEnabled(true);
  outer.onTimer = [&] {
    ++outerTicks;
    clock.advance(1s);
    loop.doEvents();  // must not fire `outer` again inside its own handler
    ++nestedRuns;
  };
  clock.advance(100ms);
  loop.doEvents();
  EXPECT_EQ(doomed, nullptr);
  EXPECT_EQ(outerTicks, 1);
  EXPECT_EQ(nestedRuns, 1);
}

TEST(RealClockTimer, LoopSleepsUntilTheTimerIsDue) {
  RealClock clock;
  MessageLoop loop(clock);
  Timer t(loop);
  bool fired = false;
  t.setInterval(20);
  t.onTimer = [&] { fired = true; };
  t.setEnabled(true);
  auto start = std::chrono::steady_clock::now();
  loop.runUntil([&] { return fired; });
  EXPECT_GE(std::chrono::steady_clock::now() - start, 20ms);
}

}  // namespace
}  // namespace platform::ui
