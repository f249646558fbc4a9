// A PBX that restarts under a running add-in: stopped and started again on the same port, with
// an outgoing call and an arriving call up each time, sometimes down for a failed attempt first.
// The reconnect timer runs on the manual clock.
#include "tests/ringova_outlook/incoming/arriving_fixture.h"

namespace ringova::testing {
namespace {

constexpr int kRestarts = 50;
constexpr auto kReconnectWait = std::chrono::seconds(30);

class PbxRestartTest : public ArrivingTest {
 protected:
  // The calls that are up when the PBX goes: the own phone dialled (and, in join mode,
  // answered with the destination ringing), and an arriving call in its window.
  void callsUp(fMain& w) {
    number_.number = "555";
    w.Calls().MakeCall();
    ASSERT_TRUE(runUntil([&] { return w.Legs().Leg1.State == 1; }));
    if (!w.UseCallForward) {
      ASSERT_TRUE(sim_->sendState(telvane::parseId(w.Legs().Leg1.CallID), 2));
      ASSERT_TRUE(runUntil([&] { return w.Legs().Leg2.CallID != "0"; }));
      // Half the time the waiting prompt has ended and its pause timer runs.
      if (pauseRunning_) {
        ASSERT_TRUE(endPrompt([&] { return w.Calls().PlayTimerRunning(); }));
      }
    }
    const telvane::CallId call = sim_->offer("tel:0899", "pbx:201");
    ASSERT_NE(call, 0u);
    ASSERT_NE(shown(w, 0), nullptr);
    EXPECT_EQ(modes_.modes.back(), 2);  // DisableMake: a call is up
  }

  // Nothing of the calls is left: buttons, legs, windows, icons, timers.
  void allEnded(fMain& w) {
    loop_.doEvents();
    EXPECT_EQ(modes_.modes.back(), 0);  // DisableAllButtons until the session is back
    EXPECT_EQ(w.Legs().Leg1.CallID, "0");
    EXPECT_EQ(w.Legs().Leg1.State, kLegIdle);
    EXPECT_EQ(w.Legs().Leg2.CallID, "0");
    EXPECT_FALSE(w.Calls().PlayTimerRunning());
    EXPECT_FALSE(w.Calls().HasRecords());
    EXPECT_EQ(toolkit_.findForm("fIncoming"), nullptr);
    EXPECT_EQ(shell_.trayIcons().size(), 0u);
  }

  bool pauseRunning_ = false;
};

TEST_F(PbxRestartTest, FiftyRestartsEachEndTheCallsAndLogInAgainBeforeAnyRequest) {
  store("TimeReconnect", std::to_string(kReconnectWait.count()));
  simPort_ = testsupport::SteadyPort();
  ASSERT_NE(simPort_, 0);
  fMain& w = connected();
  ASSERT_TRUE(w.PbxConnected);
  for (int restart = 1; restart <= kRestarts; ++restart) {
    SCOPED_TRACE(restart);
    pauseRunning_ = restart % 4 == 0;
    callsUp(w);
    stopSimulator();
    ASSERT_TRUE(runUntil([&] { return !w.PbxConnected; }));
    allEnded(w);
    ASSERT_TRUE(w.ReconnectTimerRunning(1));
    // Now and then the PBX stays away for an attempt, which fails and waits again.
    if (restart % 3 == 0) {
      advance(kReconnectWait);
      EXPECT_FALSE(w.PbxConnected);
      ASSERT_TRUE(w.ReconnectTimerRunning(1));
    }
    // The PBX returns somewhere within the timer's wait, as a version of either join mode.
    advance(std::chrono::seconds(restart % kReconnectWait.count()));
    const bool transfer = restart % 2 == 1;
    startSimulator(transfer ? "Sim-5.1.25-PBX" : "Sim-5.1.26-PBX");
    ASSERT_EQ(sim_->port(), simPort_);
    advance(kReconnectWait);
    ASSERT_TRUE(w.PbxConnected);
    EXPECT_EQ(w.UseCallForward, transfer);
    ASSERT_TRUE(receivedCount("incomingcallhandling", 1));
    EXPECT_TRUE(w.HandledIncoming);
    EXPECT_TRUE(receivedCount("subscribe", transfer ? 0u : 1u));
    if (!transfer) {
      sim_->command("extlist");
      ASSERT_TRUE(runUntil([&] { return w.OwnAuthUser == "ann"; }));
    }
    EXPECT_EQ(modes_.modes.back(), 1);  // DisableClose: idle
    // The new PBX heard the login first.
    const auto calls = inbound({"\"kind\":\"call\""});
    ASSERT_FALSE(calls.empty());
    EXPECT_NE(calls.front().find("CallProcessingService.sauthenticate\""), std::string::npos)
        << calls.front();
  }
  EXPECT_EQ(std::count(log_.begin(), log_.end(), "CC Disconnected"), kRestarts);
}

}  // namespace
}  // namespace ringova::testing
