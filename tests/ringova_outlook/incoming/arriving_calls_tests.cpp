// Arriving calls end to end: each offered call taken under remote control, announced, and
// carried out at the PBX exactly as the user or the timeout decided.
#include <random>

#include "tests/ringova_outlook/incoming/arriving_fixture.h"

namespace ringova::testing {
namespace {

using Answers = std::vector<std::string>;

class ArrivingCallsTest : public ArrivingTest {
 protected:
  // Offers a call and waits for its window at index.
  IncomingWindow* offer(fMain& w, int16_t index, telvane::CallId& call,
                        const std::string& from = "tel:0899") {
    call = sim_->offer(from, "pbx:201");
    EXPECT_NE(call, 0u);
    return shown(w, index);
  }
  // The PBX answered the remotely controlled call (the caller hears the waiting message).
  void answered(fMain& w, telvane::CallId call, int16_t index) {
    ASSERT_TRUE(sim_->sendState(call, 2));
    ASSERT_TRUE(runUntil([&] { return w.Calls().Records()[index].Answered; }));
  }
  bool settled(telvane::CallId call, std::size_t answers) {
    return runUntil([&] { return answersFor(call).size() >= answers; }) &&
           answersFor(call).size() == answers;
  }
};

TEST_F(ArrivingCallsTest, EachDecisionEndsTheCallAsTheDecisionTableSays) {
  addContact("Own Desk", "201");
  fMain& w = connected();
  struct Case {
    const char* what;
    bool answered;
    int16_t action;
    Answers pbx;
  };
  const Case cases[] = {
      {"accept, ringing", false, kActionAccept, {"remote", "accept"}},
      {"accept, answered", true, kActionAccept, {"remote", "transfercall"}},
      {"reject, ringing", false, kActionReject, {"remote", "decline"}},
      {"reject, answered", true, kActionReject, {"remote", "closecall"}},
      {"forward own extension, answered", true, kActionForward, {"remote", "transfercall"}},
      {"forward own extension, ringing", false, kActionForward, {"remote", "redirect"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    telvane::CallId call = 0;
    IncomingWindow* win = offer(w, 0, call);
    ASSERT_NE(win, nullptr);
    if (c.answered) answered(w, call, 0);
    const std::string id = telvane::formatId(call);
    switch (c.action) {
      case kActionAccept:
        driver_.click(win->cmdAccept);
        break;
      case kActionReject:
        driver_.click(win->cmdReject);
        break;
      default:
        ASSERT_TRUE(driver_.focus(win->cboFwd));
        ASSERT_TRUE(driver_.type("own"));
        ASSERT_TRUE(driver_.press(platform::ui::key::Return));
        ASSERT_TRUE(driver_.click(win->cmdForward));
        break;
    }
    ASSERT_TRUE(settled(call, c.pbx.size()));
    EXPECT_EQ(answersFor(call), c.pbx);
    // The waiting message is stopped before the call is handed on.
    EXPECT_EQ(inboundCount({"playmessage", id,
                            "[{\"type\":\"string\",\"value\":\"" + id +
                                "\"},{\"type\":\"string\",\"value\":\"\"}"}),
              1u);
    EXPECT_FALSE(w.Calls().HasRecords());
  }
  EXPECT_EQ(inboundCount({"transfercall", "\"pbx:201\""}), 2u);
  EXPECT_EQ(inboundCount({"redirect", "201\""}), 1u);
}

TEST_F(ArrivingCallsTest, TheCallerHangingUpClosesTheWindowWithoutAnAnswer) {
  fMain& w = connected();
  for (bool answer : {false, true}) {
    SCOPED_TRACE(answer);
    telvane::CallId call = 0;
    IncomingWindow* win = offer(w, 0, call);
    ASSERT_NE(win, nullptr);
    if (answer) answered(w, call, 0);
    ASSERT_TRUE(sim_->sendState(call, 3));
    ASSERT_TRUE(runUntil([&] { return !w.Calls().HasRecords(); }));
    EXPECT_TRUE(logged("OnClosed - " + telvane::formatId(call)));
    EXPECT_TRUE(logged("ServArrivedCall:  " + telvane::formatId(call) + " - None finished."));
    EXPECT_EQ(shell_.trayIcons().size(), 0u);
    ASSERT_TRUE(settled(call, 1));
    EXPECT_EQ(answersFor(call), Answers{"remote"});
  }
}

// The desktop notification of an arriving call decides exactly as the window's buttons do; a
// decision taken in the window, or the caller hanging up, takes the notification down.
TEST_F(ArrivingCallsTest, TheDesktopNotificationAcceptsAndRejectsLikeTheWindow) {
  addContact("Own Desk", "201");
  addContact("Dora Diaz", "0899");
  fMain& w = connected();
  auto& notes = shell_.recordedNotifications();
  const struct {
    const char* key;
    Answers pbx;
  } cases[] = {{"accept", {"remote", "accept"}}, {"reject", {"remote", "decline"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    telvane::CallId call = 0;
    ASSERT_NE(offer(w, 0, call), nullptr);
    const platform::shell::NotificationId id = w.Calls().NotificationOf(0);
    ASSERT_NE(id, 0u);
    const auto& shown = notes.shown().back();
    EXPECT_EQ(shown.request.summary, "Call Arrived 1");
    EXPECT_EQ(shown.request.body, "Dora Diaz (0899)");
    ASSERT_EQ(shown.request.actions.size(), 2u);
    EXPECT_EQ(shown.request.actions[0].label, "Accept");
    EXPECT_EQ(shown.request.actions[1].label, "Reject");
    ASSERT_TRUE(notes.invoke(id, c.key));
    ASSERT_TRUE(settled(call, c.pbx.size()));
    EXPECT_EQ(answersFor(call), c.pbx);
    EXPECT_FALSE(w.Calls().HasRecords());
    EXPECT_EQ(shell_.trayIcons().size(), 0u);  // the window went as after a click
  }

  // Decided in the window: the notification goes, a late click on it changes nothing.
  telvane::CallId call = 0;
  IncomingWindow* win = offer(w, 0, call, "tel:0555");
  ASSERT_NE(win, nullptr);
  const platform::shell::NotificationId id = w.Calls().NotificationOf(0);
  EXPECT_EQ(notes.shown().back().request.body, "tel:0555");
  driver_.click(win->cmdReject);
  ASSERT_TRUE(settled(call, 2));
  EXPECT_EQ(notes.openCount(), 0u);
  EXPECT_FALSE(notes.invoke(id, "accept"));

  // The caller hangs up.
  ASSERT_NE(offer(w, 0, call), nullptr);
  ASSERT_TRUE(sim_->sendState(call, 3));
  ASSERT_TRUE(runUntil([&] { return !w.Calls().HasRecords(); }));
  EXPECT_EQ(notes.openCount(), 0u);
}

TEST_F(ArrivingCallsTest, NotificationsOffOrMissingLeaveOnlyTheWindow) {
  store("DesktopNotifications", "False");
  fMain& w = connected();
  EXPECT_FALSE(w.Settings().DesktopNotifications);
  EXPECT_FALSE(w.chNotify.checked());
  telvane::CallId call = 0;
  ASSERT_NE(offer(w, 0, call), nullptr);
  EXPECT_EQ(w.Calls().NotificationOf(0), 0u);
  EXPECT_TRUE(shell_.recordedNotifications().shown().empty());
  driver_.click(w.Calls().Window(0)->cmdAccept);
  ASSERT_TRUE(settled(call, 2));

  // Switched on in the settings window; a desktop without a notification server shows none.
  w.show();
  driver_.click(w.chNotify);
  EXPECT_TRUE(w.btnApply.enabled());
  driver_.click(w.btnApply);
  EXPECT_EQ(stored("DesktopNotifications"), "True");
  shell_.setNotificationsAvailable(false);
  ASSERT_NE(offer(w, 0, call), nullptr);
  EXPECT_EQ(w.Calls().NotificationOf(0), 0u);
  EXPECT_TRUE(shell_.recordedNotifications().shown().empty());
}

TEST_F(ArrivingCallsTest, CallsAtOnceCascadeAndTheTableStartsAgainWhenEmpty) {
  fMain& w = connected();
  std::vector<telvane::CallId> calls;
  for (int i = 0; i < 36; ++i) calls.push_back(sim_->offer("tel:0899", "pbx:201"));
  ASSERT_TRUE(runUntil([&] {
    return w.Calls().Count() == 36 && w.Calls().Window(35) && w.Calls().Window(35)->visible();
  }));
  IncomingWindow* first = w.Calls().Window(0);
  IncomingWindow* second = w.Calls().Window(1);
  EXPECT_EQ(first->caption(), "Call Arrived 1");
  EXPECT_EQ(second->caption(), "Call Arrived 2");
  EXPECT_EQ(second->left() - first->left(), 257);
  EXPECT_EQ(second->top() - first->top(), 200);
  EXPECT_EQ(w.Calls().Window(35)->left(), 250);
  EXPECT_EQ(w.Calls().Window(35)->top(), 0);
  EXPECT_EQ(shell_.trayIcons().size(), 36u);
  // Every window belongs to its own call.
  for (int16_t i = 0; i < 36; ++i) {
    EXPECT_EQ(w.Calls().Records()[i].CallID, telvane::formatId(calls[i]));
  }

  // Finishing one keeps the table; finishing the rest empties it.
  driver_.click(second->cmdReject);
  EXPECT_TRUE(logged("IncomingCallInServ: Wait - " + telvane::formatId(calls[0])));
  EXPECT_EQ(w.Calls().Count(), 36);
  for (int16_t i = 0; i < 36; ++i) {
    if (IncomingWindow* win = w.Calls().Window(i); win && win->visible()) {
      driver_.click(win->cmdAccept);
    }
  }
  EXPECT_EQ(w.Calls().Count(), 0);
  telvane::CallId next = 0;
  IncomingWindow* win = offer(w, 0, next);
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(win->caption(), "Call Arrived 1");
  EXPECT_EQ(win->left(), 0);
  EXPECT_EQ(shell_.trayIcons().size(), 1u);
  loop_.doEvents();
  int open = 0;
  for (platform::ui::Form* f : toolkit_.forms()) open += f->name() == "fIncoming";
  EXPECT_EQ(open, 1);
}

TEST_F(ArrivingCallsTest, AContinuedCallPassesThroughWithoutAWindow) {
  fMain& w = connected();
  const telvane::CallId call = sim_->offer("tel:0899", "pbx:201", 4711);
  ASSERT_TRUE(settled(call, 1));
  EXPECT_EQ(answersFor(call), Answers{"accept"});
  EXPECT_FALSE(w.Calls().HasRecords());
  EXPECT_EQ(toolkit_.findForm("fIncoming"), nullptr);
  EXPECT_FALSE(
      logged("OnCallArrived: CID - " + telvane::formatId(call) + ", From   tel:0899, To  pbx:201"));
}

TEST_F(ArrivingCallsTest, ACallThatEndsBeforeItsWindowOpensGetsNoWindow) {
  fMain& w = connected();
  // The control delivers one event at a time; another task waiting in the loop (here the call's
  // end) runs while the arrival lets the loop run once.
  loop_.post([&] { w.Calls().CallStateChanged("4242", 3); });
  w.Calls().CallArrived("4242", "tel:0899", "pbx:201", "0");
  EXPECT_TRUE(logged("OnClosed - 4242"));
  EXPECT_FALSE(w.Calls().HasRecords());
  EXPECT_EQ(shell_.trayIcons().size(), 0u);
  EXPECT_EQ(shell_.beeps().size(), 0u);
  loop_.doEvents();
  EXPECT_EQ(toolkit_.findForm("fIncoming"), nullptr);
}

TEST_F(ArrivingCallsTest, DisconnectingClosesEveryWindow) {
  fMain& w = connected();
  telvane::CallId a = 0, b = 0;
  ASSERT_NE(offer(w, 0, a), nullptr);
  ASSERT_NE(offer(w, 1, b), nullptr);
  w.DisconnectComplete();
  EXPECT_FALSE(w.Calls().HasRecords());
  EXPECT_EQ(shell_.trayIcons().size(), 0u);
  loop_.doEvents();
  EXPECT_EQ(toolkit_.findForm("fIncoming"), nullptr);
}

// Many calls at once, each decided at random by the user or left to the timeout: nothing is left
// behind, and the PBX heard exactly one final answer for each.
TEST_F(ArrivingCallsTest, TwoHundredCallsWithinASecondAllEndAsDecided) {
  addContact("Dave Miller", "0301111", "0171 2345-67");
  fMain& w = connected();
  constexpr int kCalls = 200;
  std::vector<telvane::CallId> calls;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kCalls; ++i) calls.push_back(sim_->offer("tel:0301111", "pbx:201"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  ASSERT_TRUE(runUntil([&] { return inboundCount({"\"remotecontrol\""}) >= kCalls; },
                       std::chrono::seconds(30)));
  ASSERT_TRUE(runUntil([&] {
    int shownCount = 0;
    for (int16_t i = 0; i < w.Calls().Count(); ++i) {
      IncomingWindow* win = w.Calls().Window(i);
      shownCount += win && win->visible();
    }
    return shownCount == kCalls;
  }));

  std::mt19937 random(19);
  enum Choice { kAccept, kReject, kForward, kTimeout, kHangUp, kChoices };
  std::vector<Choice> chosen(kCalls);
  std::vector<bool> wasAnswered(kCalls);
  for (int16_t i = 0; i < kCalls; ++i) {
    chosen[i] = static_cast<Choice>(random() % kChoices);
    wasAnswered[i] = random() % 2 == 0;
    if (wasAnswered[i]) {
      ASSERT_TRUE(sim_->sendState(calls[i], 2));
    }
  }
  ASSERT_TRUE(runUntil([&] {
    for (int16_t i = 0; i < kCalls; ++i) {
      if (wasAnswered[i] && !w.Calls().Records()[i].Answered) return false;
    }
    return true;
  }));
  for (int16_t i = 0; i < kCalls; ++i) {
    IncomingWindow* win = w.Calls().Window(i);
    ASSERT_NE(win, nullptr);
    switch (chosen[i]) {
      case kAccept:
        driver_.click(win->cmdAccept);
        break;
      case kReject:
        driver_.click(win->cmdReject);
        break;
      case kForward:
        win->Search().SetSelectedRecord(1);
        win->LoadContactPhones();
        driver_.click(win->cmdForward);
        break;
      case kHangUp:
        ASSERT_TRUE(sim_->sendState(calls[i], 3));
        break;
      default:
        break;
    }
  }
  // The hang-ups reach the add-in before the timeout could take those calls.
  ASSERT_TRUE(runUntil([&] {
    for (int i = 0; i < kCalls; ++i) {
      if (chosen[i] == kHangUp && !logged("OnClosed - " + telvane::formatId(calls[i])))
        return false;
    }
    return true;
  }));
  advance(std::chrono::seconds(20));
  ASSERT_TRUE(runUntil([&] { return !w.Calls().HasRecords(); }));
  loop_.doEvents();
  EXPECT_EQ(shell_.trayIcons().size(), 0u);
  EXPECT_EQ(toolkit_.findForm("fIncoming"), nullptr);

  for (int i = 0; i < kCalls; ++i) {
    SCOPED_TRACE(i);
    Answers expected{"remote"};
    switch (chosen[i]) {
      case kAccept:
      case kTimeout:
        expected.push_back(wasAnswered[i] ? "transfercall" : "accept");
        break;
      case kReject:
        expected.push_back(wasAnswered[i] ? "closecall" : "decline");
        break;
      case kForward:
        expected.push_back(wasAnswered[i] ? "transfercall" : "redirect");
        break;
      default:
        break;
    }
    ASSERT_TRUE(runUntil([&] { return answersFor(calls[i]).size() >= expected.size(); }));
    EXPECT_EQ(answersFor(calls[i]), expected);
  }
}

}  // namespace
}  // namespace ringova::testing
