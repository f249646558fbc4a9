// The incoming call window as the call flow opens it for calls the simulator offers: what it
// shows, where it stands, its tray icon, its timers and the forward picker.
#include "tests/ringova_outlook/incoming/arriving_fixture.h"

namespace ringova::testing {
namespace {

using Answers = std::vector<std::string>;

TEST(CascadePosition, StepsRightAndDownAndWrapsEvery35Calls) {
  struct Case {
    int16_t index;
    int left, top;
  };
  for (Case c : {Case{0, 0, 0}, Case{1, 257, 200}, Case{34, 8743, 6800}, Case{35, 250, 0},
                 Case{36, 507, 200}, Case{70, 500, 0}}) {
    WindowPosition at = CascadePosition(c.index);
    EXPECT_EQ(at.left, c.left) << c.index;
    EXPECT_EQ(at.top, c.top) << c.index;
  }
}

TEST_F(ArrivingTest, AKnownCallerShowsTheContactAndTheStoredNumber) {
  addContact("Dave Miller", "+49 (30) 1234-567", "");
  fMain& w = connected();
  w.show();
  const telvane::CallId call = sim_->offer("sip:+49301234567@pbx.example", "pbx:201");
  IncomingWindow* win = shown(w, 0);
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(win->caption(), "Call Arrived 1");
  EXPECT_EQ(win->txtContactFrom.text(), "Dave Miller");
  EXPECT_EQ(win->txtCaller.text(), "+49 (30) 1234-567");
  EXPECT_EQ(win->frmFrom.caption(), "From ");
  EXPECT_EQ(win->cmdAccept.caption(), "Accept ");
  EXPECT_TRUE(win->cmdAccept.hasFocus());
  EXPECT_FALSE(win->cmdForward.enabled());
  EXPECT_FALSE(win->lstContacts.visible());
  // Every contact name is in the forward picker once the user goes there.
  EXPECT_EQ(win->cboFwd.count(), 0);
  win->cboFwd.setFocus();
  EXPECT_EQ(win->cboFwd.count(), 2);
  EXPECT_EQ(win->cboFwd.itemText(1), "Dave Miller");
  EXPECT_FALSE(w.visible());  // the settings window made way
  ASSERT_EQ(shell_.beeps().size(), 1u);
  EXPECT_EQ(shell_.beeps()[0].frequencyHz, 300);
  EXPECT_EQ(shell_.beeps()[0].durationMs, 50);
  const auto* icon = shell_.trayIcons().find(win->TrayIcon());
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->tip, "New Call 1");
  EXPECT_TRUE(logged("OnCallArrived: CID - " + telvane::formatId(call) +
                     ", From   sip:+49301234567@pbx.example, To  pbx:201"));
  EXPECT_TRUE(logged("RemoteAcceptCall - " + telvane::formatId(call)));
  EXPECT_EQ(answersFor(call), Answers{"remote"});
}

TEST_F(ArrivingTest, AnUnknownCallerStaysAsReceived) {
  fMain& w = connected();
  sim_->offer("tel:0899", "pbx:201");
  IncomingWindow* win = shown(w, 0);
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(win->txtCaller.text(), "tel:0899");
  EXPECT_EQ(win->txtContactFrom.text(), "");
}

TEST_F(ArrivingTest, TheCloseBoxIsRefusedAndTheTrayIconBringsTheWindowBack) {
  fMain& w = connected();
  const telvane::CallId call = sim_->offer("tel:0899", "pbx:201");
  IncomingWindow* win = shown(w, 0);
  ASSERT_NE(win, nullptr);
  EXPECT_FALSE(driver_.closeBox(*win));
  EXPECT_TRUE(win->visible());
  win->setWindowState(platform::ui::WindowState::Minimized);
  shell_.trayIcons().mouse(win->TrayIcon(), platform::shell::tray::MouseMove);
  EXPECT_EQ(win->windowState(), platform::ui::WindowState::Minimized);
  shell_.trayIcons().mouse(win->TrayIcon(), platform::shell::tray::RightButtonDoubleClick);
  EXPECT_EQ(win->windowState(), platform::ui::WindowState::Normal);
  EXPECT_EQ(shell_.broughtToFront(), std::vector<std::string>{"fIncoming"});
  EXPECT_EQ(answersFor(call), Answers{"remote"});
}

TEST_F(ArrivingTest, TheTimeoutAcceptsAndTheIconGoesWithTheWindow) {
  fMain& w = connected();
  const telvane::CallId call = sim_->offer("tel:0899", "pbx:201");
  IncomingWindow* win = shown(w, 0);
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(win->TimerInc.interval(), 20000);
  advance(std::chrono::milliseconds(19999));
  EXPECT_TRUE(win->visible());
  advance(std::chrono::milliseconds(1));
  EXPECT_FALSE(w.Calls().HasRecords());
  EXPECT_EQ(shell_.trayIcons().size(), 0u);
  ASSERT_TRUE(runUntil([&] { return answersFor(call).size() == 2; }));
  EXPECT_EQ(answersFor(call), (Answers{"remote", "accept"}));
  EXPECT_TRUE(logged("ServArrivedCall:  " + telvane::formatId(call) + " - Accept finished."));
  EXPECT_TRUE(logged("IncomingCallInServ: Reset"));
  loop_.doEvents();
  EXPECT_EQ(toolkit_.findForm("fIncoming"), nullptr);
}

TEST_F(ArrivingTest, TheWaitingMessageIsPlayedAgainThreeSecondsAfterEachReport) {
  promptLength_ = std::chrono::milliseconds(500);
  fMain& w = connected();
  const telvane::CallId call = sim_->offer("tel:0899", "pbx:201");
  const std::string id = telvane::formatId(call);
  IncomingWindow* win = shown(w, 0);
  ASSERT_NE(win, nullptr);
  ASSERT_TRUE(sim_->sendState(call, 2));  // the PBX answered the remotely controlled call
  ASSERT_TRUE(waitInbound({"playmessage", id, "fadinghope.wav"}, 1));
  EXPECT_TRUE(w.Calls().Records()[0].Answered);
  for (std::size_t round = 1; round <= 2; ++round) {
    ASSERT_TRUE(endPrompt([&] { return win->TimerPlay.timerEnabled(); }));
    advance(std::chrono::milliseconds(2999));
    EXPECT_EQ(inboundCount({"playmessage", id, "fadinghope.wav"}), round);
    advance(std::chrono::milliseconds(1));
    EXPECT_TRUE(waitInbound({"playmessage", id, "fadinghope.wav"}, round + 1));
    EXPECT_TRUE(logged("PlayMessage - " + id));
  }
  // A repeated answer report does not start the message twice.
  ASSERT_TRUE(sim_->sendState(call, 2));
  driver_.click(win->cmdReject);
  EXPECT_TRUE(logged("Reject_Click:  " + id));
  ASSERT_TRUE(runUntil([&] { return answersFor(call).size() == 2; }));
  EXPECT_EQ(inboundCount({"playmessage", id, "fadinghope.wav"}), 3u);
  EXPECT_EQ(answersFor(call), (Answers{"remote", "closecall"}));
}

TEST_F(ArrivingTest, ForwardPicksAContactByTypingAndDialsItsMobileNumberByTheRules) {
  addContact("Dave Miller", "0301111", "0171 2345-67");
  addContact("Eve Davis", "0302222", "");
  fMain& w = connected();
  const telvane::CallId call = sim_->offer("tel:0899", "pbx:201");
  IncomingWindow* win = shown(w, 0);
  ASSERT_NE(win, nullptr);
  ASSERT_TRUE(driver_.focus(win->cboFwd));
  ASSERT_TRUE(driver_.type("dav"));
  // Both names contain it; the one with it nearer the start comes first and completes the box.
  ASSERT_EQ(win->lstContacts.count(), 2);
  EXPECT_EQ(win->lstContacts.itemText(0), "Dave Miller");
  EXPECT_EQ(win->cboFwd.text(), "Dave Miller");
  EXPECT_FALSE(win->cmdForward.enabled());
  ASSERT_TRUE(driver_.press(platform::ui::key::Return));
  EXPECT_TRUE(logged("Forward to contact: Dave Miller"));
  ASSERT_EQ(win->cboPhones.count(), 2);
  EXPECT_TRUE(win->cmdForward.enabled());
  ASSERT_TRUE(driver_.pick(win->cboPhones, 1));
  EXPECT_EQ(win->cboPhones.text(), "Mobile    - 0171 2345-67");
  ASSERT_TRUE(driver_.click(win->cmdForward));
  const std::string id = telvane::formatId(call);
  EXPECT_TRUE(
      logged("Forward_Click:  " + id + "  to Dave Miller - 'Mobile    - 0171 2345-67->0171234567"));
  ASSERT_TRUE(runUntil([&] { return answersFor(call).size() == 2; }));
  EXPECT_EQ(answersFor(call), (Answers{"remote", "redirect"}));
  EXPECT_EQ(inboundCount({id, "redirect", "0171234567"}), 1u);
  EXPECT_TRUE(logged("ServArrivedCall:  " + id + " - Forward finished."));
}

}  // namespace
}  // namespace ringova::testing
