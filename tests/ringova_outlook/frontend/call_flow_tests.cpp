// Make and Close against the real control and the simulator: both join modes, the waiting
// prompt loop, failing destinations, the user hanging up, Make during a call, requests the PBX
// refuses or leaves unanswered, a missing own identity.
#include "tests/ringova_outlook/frontend/call_fixture.h"

namespace ringova::testing {
namespace {

using Methods = std::vector<std::string>;
using Modes = std::vector<int16_t>;

class CallFlowTest : public CallFixture {
 protected:
  // Make with the number, until the PBX rings the own phone; the first leg's id.
  std::string make(fMain& w, const std::string& number) {
    number_.number = number;
    w.Calls().MakeCall();
    EXPECT_TRUE(runUntil([&] { return w.Legs().Leg1.State == 1; }));
    return w.Legs().Leg1.CallID;
  }
  // The user answers the own phone; in join mode the second leg's id.
  std::string answerOwnPhone(fMain& w, const std::string& leg1) {
    EXPECT_TRUE(sim_->sendState(telvane::parseId(leg1), 2));
    EXPECT_TRUE(runUntil([&] { return w.Legs().Leg1.State == 2 || w.Legs().Leg1.CallID == "0"; }));
    if (w.UseCallForward) return "0";
    EXPECT_TRUE(waitInbound({"playmessage", leg1}, 1));
    return w.Legs().Leg2.CallID;
  }
  bool idle(fMain& w) { return w.Legs().Leg1.CallID == "0" && w.Legs().Leg1.State == kLegIdle; }
  bool simCommand(const std::string& line) {
    return sim_->command(line).find("\"ok\":true") != std::string::npos;
  }
  std::size_t canceledBoxes() {
    return std::count_if(shell_.messageBoxes().begin(), shell_.messageBoxes().end(),
                         [](const auto& box) { return box.text == "The call is canceled "; });
  }
};

TEST_F(CallFlowTest, TransferModeRingsTheOwnPhoneThenHandsTheCallToTheDestination) {
  fMain& w = connected("Sim-5.1.25-PBX");
  ASSERT_TRUE(w.UseCallForward);
  const std::string leg1 = make(w, "  0171 555  ");
  ASSERT_NE(leg1, "0");
  EXPECT_TRUE(logged("Press 'Make' button"));
  EXPECT_TRUE(logged("MakeCall: to  '0171 555' =>> 0171555"));
  EXPECT_TRUE(logged("Destination username: 0171555"));
  EXPECT_TRUE(logged("CreateCall: " + leg1));
  EXPECT_EQ(inboundCount({"createcall", "\"system\"", "\"pbx:201\"", "\"Ringova\"}]"}), 1u);

  answerOwnPhone(w, leg1);
  ASSERT_TRUE(runUntil([&] { return idle(w); }));
  EXPECT_EQ(methodsFor(leg1), (Methods{"createcall", "transfercall"}));
  EXPECT_EQ(inboundCount({"transfercall", leg1, "\"tel:0171555\""}), 1u);
  EXPECT_TRUE(logged("OnConfirmed: " + leg1));
  EXPECT_TRUE(logged("TransferCall - " + leg1 + " to 0171555"));
  EXPECT_TRUE(logged("OnClosed - " + leg1));
  // Connected, Make, own phone dialled, handed over, closed.
  EXPECT_EQ(modes_.modes, (Modes{1, 2, 2, 0, 1}));
  EXPECT_EQ(shell_.messageBoxes().size(), 0u);
}

TEST_F(CallFlowTest, JoinModeCallsTheDestinationWithTheOwnIdentityAndRepeatsTheWaitingPrompt) {
  fMain& w = connected();
  ASSERT_FALSE(w.UseCallForward);
  const std::string leg1 = make(w, "sip:bob@pbx.example");
  EXPECT_TRUE(logged("Destination username: bob"));
  // The first leg carries the destination's user name.
  EXPECT_EQ(inboundCount({"createcall", "\"pbx:201\"", "\"Ringova\"", "\"bob\""}), 1u);

  const std::string leg2 = answerOwnPhone(w, leg1);
  ASSERT_NE(leg2, "0");
  EXPECT_EQ(inboundCount({"createcall", leg2, "\"system\"", "\"tel:sip:bob@pbx.example\"",
                          "\"Ann Smith\"", "\"ann\""}),
            1u);
  EXPECT_TRUE(w.Legs().PromptPlaying);

  // The prompt ends; 3 s later it starts again, and so on until the destination answers.
  for (std::size_t round = 1; round <= 3; ++round) {
    ASSERT_TRUE(endPrompt([&] { return w.Calls().PlayTimerRunning(); }));
    advance(std::chrono::milliseconds(2999));
    EXPECT_EQ(inboundCount({"playmessage", leg1, "autocallwait.wav"}), round);
    advance(std::chrono::milliseconds(1));
    EXPECT_TRUE(waitInbound({"playmessage", leg1, "autocallwait.wav"}, round + 1));
  }
  ASSERT_TRUE(sim_->sendState(telvane::parseId(leg2), 2));
  ASSERT_TRUE(waitInbound({"joincalls"}, 1));
  EXPECT_EQ(inboundCount({"joincalls", "[{\"type\":\"string\",\"value\":\"" + leg1 +
                                           "\"},{\"type\":\"string\",\"value\":\"" + leg2 + "\"}"}),
            1u);
  EXPECT_FALSE(w.Calls().PlayTimerRunning());
  EXPECT_EQ(methodsFor(leg1),
            (Methods{"createcall", "autocallwait.wav", "autocallwait.wav", "autocallwait.wav",
                     "autocallwait.wav", "stop", "joincalls"}));
  // A prompt report that was on its way when the destination answered starts no new loop.
  w.Calls().MessagePlayed(leg1);
  EXPECT_FALSE(w.Calls().PlayTimerRunning());

  // A repeated confirmation creates no third leg.
  ASSERT_TRUE(sim_->sendState(telvane::parseId(leg1), 2));
  ASSERT_TRUE(
      runUntil([&] { return std::count(log_.begin(), log_.end(), "OnConfirmed: " + leg1) == 2; }));

  w.Calls().CloseCurrentCall();
  EXPECT_TRUE(logged("Press 'Close' button"));
  ASSERT_TRUE(runUntil([&] { return logged("OnClosed - " + leg2); }));
  EXPECT_TRUE(idle(w));
  EXPECT_EQ(inboundCount({"closecall", leg1}), 1u);
  EXPECT_EQ(inboundCount({"createcall"}), 2u);
  EXPECT_EQ(modes_.modes.back(), 1);
}

TEST_F(CallFlowTest, AFailingDestinationGivesTheFailurePromptOnceThenClosesTheOwnLeg) {
  fMain& w = connected();
  struct Case {
    const char* number;
    const char* logLine;
  };
  for (Case c :
       {Case{"666", "ErrorOccured => Line Busy"}, Case{"777", "ErrorOccured => User not found"}}) {
    SCOPED_TRACE(c.number);
    const std::string leg1 = make(w, c.number);
    answerOwnPhone(w, leg1);
    ASSERT_TRUE(runUntil([&] { return w.Legs().CallFailed; }));
    EXPECT_TRUE(logged(c.logLine));
    // The waiting prompt plays to its end, then the failure prompt, then the leg is closed.
    EXPECT_FALSE(w.Legs().FailurePromptStarted);
    ASSERT_TRUE(endPrompt([&] { return w.Legs().FailurePromptStarted; }));
    ASSERT_TRUE(waitInbound({"playmessage", leg1, "usernotfound.wav"}, 1));
    advance(std::chrono::seconds(3));  // no waiting prompt in between
    ASSERT_TRUE(endPrompt([&] { return idle(w); }));
    ASSERT_TRUE(waitInbound({"closecall", leg1}, 1));
    EXPECT_EQ(methodsFor(leg1),
              (Methods{"createcall", "autocallwait.wav", "usernotfound.wav", "closecall"}));
    EXPECT_EQ(modes_.modes.back(), 1);
  }
  EXPECT_EQ(shell_.messageBoxes().size(), 0u);  // the handset tells the user, not a box
}

TEST_F(CallFlowTest, HangingUpWhileTheDestinationRingsClosesTheSecondLeg) {
  fMain& w = connected();
  const std::string leg1 = make(w, "555");
  const std::string leg2 = answerOwnPhone(w, leg1);
  ASSERT_TRUE(sim_->sendState(telvane::parseId(leg2), 1));
  ASSERT_TRUE(sim_->sendState(telvane::parseId(leg1), 3));
  ASSERT_TRUE(waitInbound({"closecall", leg2}, 1));
  ASSERT_TRUE(runUntil([&] { return idle(w); }));
  EXPECT_EQ(w.Legs().Leg2.CallID, "0");
  EXPECT_FALSE(w.Legs().PromptPlaying);
  EXPECT_EQ(modes_.modes.back(), 1);
  // The pause timer of the dead call does not play into the next one.
  advance(std::chrono::seconds(3));
  EXPECT_EQ(inboundCount({"playmessage", "autocallwait.wav"}), 1u);
}

TEST_F(CallFlowTest, MakeDuringACallAsksAndClosesOnlyWhenTheUserConfirms) {
  fMain& w = connected();
  const std::string leg1 = make(w, "555");
  std::string asked;
  driver_.expect("fNote", [&](platform::ui::Form& f) {
    asked = support_->Note().Label1().caption() + "|" + f.caption();
    driver_.click(support_->Note().CancelButton());
  });
  w.Calls().MakeCall();
  EXPECT_EQ(asked, "There is an active call. Would you like to close it?|Ringova - Make Call ");
  EXPECT_EQ(w.Legs().Leg1.CallID, leg1);

  driver_.expect("fNote", [&](platform::ui::Form&) { driver_.click(support_->Note().OKButton()); });
  w.Calls().MakeCall();
  EXPECT_TRUE(idle(w));
  EXPECT_TRUE(waitInbound({"closecall", leg1}, 1));
  EXPECT_EQ(inboundCount({"createcall"}), 1u);
  EXPECT_EQ(driver_.failures().size(), 0u);
}

TEST_F(CallFlowTest, WithoutASessionMakeSaysTheCallIsCanceled) {
  startSimulator();
  storeAccount();
  fMain& w = startUp();
  w.SetButtonModes(&modes_);
  w.Calls().SetSelectedNumber(&number_);
  number_.number = "555";
  w.show();
  w.Calls().MakeCall();
  EXPECT_TRUE(logged("CreateCall: The call is canceled "));
  ASSERT_EQ(shell_.messageBoxes().size(), 1u);
  EXPECT_EQ(shell_.messageBoxes()[0].text, "The call is canceled ");
  EXPECT_EQ(shell_.messageBoxes()[0].title, "Ringova");
  EXPECT_FALSE(w.visible());
  EXPECT_TRUE(idle(w));
  EXPECT_EQ(modes_.modes, (Modes{2, 1}));

  // Nothing chosen: nothing happens.
  number_.number = "  ";
  w.Calls().MakeCall();
  EXPECT_EQ(modes_.modes, (Modes{2, 1}));
}

// A clicked phone link takes the path of a picked number: cleaned, dialled through the own
// phone, logged as a Make.
TEST_F(CallFlowTest, APhoneLinkIsDialledLikeAPickedNumber) {
  fMain& w = connected("Sim-5.1.25-PBX");
  w.Calls().DialAddress("tel:+49-30-1234567;phone-context=+49");
  ASSERT_TRUE(runUntil([&] { return w.Legs().Leg1.State == 1; }));
  const std::string leg1 = w.Legs().Leg1.CallID;
  EXPECT_TRUE(logged("DialAddress: 'tel:+49-30-1234567;phone-context=+49'"));
  EXPECT_TRUE(logged("MakeCall: to  '+49-30-1234567' =>> +49301234567"));
  EXPECT_EQ(inboundCount({"createcall", "\"system\"", "\"pbx:201\"", "\"Ringova\"}]"}), 1u);
  answerOwnPhone(w, leg1);
  ASSERT_TRUE(runUntil([&] { return idle(w); }));
  EXPECT_EQ(inboundCount({"transfercall", leg1, "\"tel:+49301234567\""}), 1u);
  EXPECT_EQ(modes_.modes, (Modes{1, 2, 2, 0, 1}));

  // callto: and percent-escapes.
  w.Calls().DialAddress("callto://0171%20555");
  ASSERT_TRUE(runUntil([&] { return w.Legs().Leg1.State == 1; }));
  EXPECT_TRUE(logged("MakeCall: to  '0171 555' =>> 0171555"));
  // A second link while that call runs asks first, as Make does, and dials nothing.
  bool asked = false;
  driver_.expect("fNote", [&](platform::ui::Form&) {
    asked = true;
    driver_.click(support_->Note().CancelButton());
  });
  w.Calls().DialAddress("sip:202@pbx.example");
  EXPECT_TRUE(asked);
  EXPECT_EQ(inboundCount({"createcall"}), 2u);
  EXPECT_EQ(shell_.messageBoxes().size(), 0u);
}

TEST_F(CallFlowTest, AnAddressWithoutANumberDialsNothingAndSaysWhy) {
  fMain& w = connected();
  for (const char* address : {"tel:", "callto://", "", "mailto:ann@example.org", "tel:1%G"}) {
    w.Calls().DialAddress(address);
  }
  const auto& boxes = shell_.messageBoxes();
  ASSERT_EQ(boxes.size(), 5u);
  EXPECT_EQ(boxes[0].text, "The address holds no number");
  EXPECT_EQ(boxes[1].text, "The address holds no number");
  EXPECT_EQ(boxes[2].text, "The address is empty");
  EXPECT_EQ(boxes[3].text, "The address is not a tel:, callto: or sip: address");
  EXPECT_EQ(boxes[4].text, "The address has a broken %-escape");
  EXPECT_EQ(boxes[0].title, "Ringova");
  EXPECT_TRUE(logged("DialAddress: The address holds no number"));
  EXPECT_EQ(inboundCount({"createcall"}), 0u);
  EXPECT_EQ(modes_.modes, (Modes{1}));
}

// Not connected yet: the link connects first; without an account it says so instead.
TEST_F(CallFlowTest, APhoneLinkConnectsFirstOrSaysWhyItCannot) {
  startSimulator("Sim-5.1.25-PBX");
  storeAccount();
  fMain& w = startUp();
  w.SetButtonModes(&modes_);
  ASSERT_FALSE(w.PbxConnected);
  w.Settings().UserName.clear();
  w.Calls().DialAddress("tel:0301234567");
  ASSERT_EQ(shell_.messageBoxes().size(), 1u);
  EXPECT_EQ(shell_.messageBoxes()[0].text, "Enter mandatory settings ");
  EXPECT_TRUE(logged("DialAddress: not configured"));
  EXPECT_FALSE(w.PbxConnected);

  w.Settings().UserName = "201";
  w.Calls().DialAddress("tel:0301234567");
  EXPECT_TRUE(w.PbxConnected);
  EXPECT_TRUE(runUntil([&] { return w.Legs().Leg1.State == 1; }));
  EXPECT_TRUE(logged("MakeCall: to  '0301234567' =>> 0301234567"));
  EXPECT_EQ(shell_.messageBoxes().size(), 1u);

  // No PBX to reach and no reconnecting: it says the connection is not there.
  closeWindow();
  stopSimulator();
  store("Reconnect", "False");
  fMain& again = startUp();
  again.Calls().DialAddress("tel:0301234567");
  EXPECT_FALSE(again.PbxConnected);
  ASSERT_EQ(shell_.messageBoxes().size(), 2u);
  EXPECT_EQ(shell_.messageBoxes()[1].text,
            "The connection is not established. Check connection's settings");
  EXPECT_TRUE(logged("DialAddress: not connected"));
}

// The PBX went away and the reconnect timer runs: a link clicked meanwhile says so and is
// dialled once the timer has brought the connection back; a later link replaces it.
TEST_F(CallFlowTest, APhoneLinkWaitsForTheReconnectTimer) {
  simPort_ = testsupport::SteadyPort();
  ASSERT_NE(simPort_, 0);
  store("TimeReconnect", "30");
  fMain& w = connected("Sim-5.1.25-PBX");
  stopSimulator();
  ASSERT_TRUE(runUntil([&] { return !w.PbxConnected; }));
  ASSERT_TRUE(w.ReconnectTimerRunning(1));

  w.Calls().DialAddress("tel:0301111111");
  w.Calls().DialAddress("tel:0302222222");
  EXPECT_EQ(std::count(log_.begin(), log_.end(), "DialAddress: not connected"), 2);
  ASSERT_EQ(shell_.messageBoxes().size(), 2u);
  EXPECT_EQ(shell_.messageBoxes()[1].text,
            "The connection is not established. Check connection's settings");

  startSimulator("Sim-5.1.25-PBX");
  advance(30s);
  ASSERT_TRUE(w.PbxConnected);
  ASSERT_TRUE(runUntil([&] { return w.Legs().Leg1.State == 1; }));
  EXPECT_TRUE(logged("MakeCall: to  '0302222222' =>> 0302222222"));
  EXPECT_FALSE(logged("MakeCall: to  '0301111111' =>> 0301111111"));
  EXPECT_EQ(inboundCount({"createcall"}), 1u);
  EXPECT_EQ(shell_.messageBoxes().size(), 2u);
}

// A refused "createcall" is followed by no state report: the call ends as when the control
// returns "0", and Make works again.
TEST_F(CallFlowTest, ARefusedOwnLegEndsTheCallAndFreesMake) {
  fMain& w = connected();
  ASSERT_TRUE(simCommand("fault once createcall 503 Service Unavailable"));
  number_.number = "555";
  w.Calls().MakeCall();
  const std::string refused = w.Legs().Leg1.CallID;
  ASSERT_NE(refused, "0");  // the control queued it and gave its ID
  ASSERT_TRUE(runUntil([&] { return idle(w); }));
  EXPECT_TRUE(logged("->RequestFailed: Service Unavailable - 0"));
  EXPECT_EQ(canceledBoxes(), 1u);
  EXPECT_EQ(modes_.modes, (Modes{1, 2, 1}));

  const std::string leg1 = make(w, "555");
  EXPECT_NE(leg1, refused);
  EXPECT_EQ(inboundCount({"createcall"}), 2u);
  EXPECT_EQ(inboundCount({"closecall"}), 0u);
}

// The destination's leg refused while the own leg is up: the failure prompt, then the own leg
// closes; no waiting prompt loops until the user hangs up.
TEST_F(CallFlowTest, ARefusedSecondLegGivesTheFailurePromptThenClosesTheOwnLeg) {
  fMain& w = connected();
  const std::string leg1 = make(w, "555");
  ASSERT_TRUE(simCommand("fault once createcall 486 Busy Here"));
  const std::string leg2 = answerOwnPhone(w, leg1);
  ASSERT_NE(leg2, "0");
  ASSERT_TRUE(runUntil([&] { return w.Legs().CallFailed; }));
  EXPECT_TRUE(logged("->RequestFailed: Busy Here - 0"));
  ASSERT_TRUE(endPrompt([&] { return w.Legs().FailurePromptStarted; }));
  ASSERT_TRUE(waitInbound({"playmessage", leg1, "usernotfound.wav"}, 1));
  ASSERT_TRUE(endPrompt([&] { return idle(w); }));
  ASSERT_TRUE(waitInbound({"closecall", leg1}, 1));
  EXPECT_EQ(methodsFor(leg1),
            (Methods{"createcall", "autocallwait.wav", "usernotfound.wav", "closecall"}));
  EXPECT_EQ(modes_.modes.back(), 1);
  EXPECT_EQ(shell_.messageBoxes().size(), 0u);  // the handset tells the user
}

// The join is asynchronous: its refusal is a fault answer. Within the answer time it ends the
// call; a fault long after a join that went through leaves the conversation alone.
TEST_F(CallFlowTest, ARefusedJoinClosesBothLegsButALaterFaultLeavesATalkAlone) {
  fMain& w = connected();
  std::string leg1 = make(w, "555");
  std::string leg2 = answerOwnPhone(w, leg1);
  ASSERT_TRUE(sim_->sendState(telvane::parseId(leg2), 2));
  ASSERT_TRUE(waitInbound({"joincalls"}, 1));
  advance(std::chrono::seconds(26));
  ASSERT_TRUE(simCommand("fault once playmessage 404 No such prompt"));
  w.Calls().PlayMessage(leg1, "hello.wav", 1);
  ASSERT_TRUE(runUntil([&] { return logged("->RequestFailed: No such prompt - 0"); }));
  loop_.doEvents();
  EXPECT_EQ(w.Legs().Leg1.CallID, leg1);
  EXPECT_EQ(inboundCount({"closecall"}), 0u);
  w.Calls().CloseCurrentCall();
  ASSERT_TRUE(runUntil([&] { return idle(w); }));

  leg1 = make(w, "556");
  leg2 = answerOwnPhone(w, leg1);
  ASSERT_TRUE(simCommand("fault once joincalls 500 Cannot join"));
  modes_.modes.clear();
  ASSERT_TRUE(sim_->sendState(telvane::parseId(leg2), 2));
  ASSERT_TRUE(runUntil([&] { return idle(w); }));
  EXPECT_TRUE(logged("->RequestFailed: Cannot join - 0"));
  EXPECT_TRUE(waitInbound({"closecall", leg1}, 1));
  EXPECT_TRUE(waitInbound({"closecall", leg2}, 1));
  EXPECT_EQ(modes_.modes, (Modes{1}));
  EXPECT_EQ(canceledBoxes(), 1u);
}

// A PBX that stops answering: the own leg's request times out with its ID after the session's
// time-out (real time), and Make is free again.
TEST_F(CallFlowTest, AnUnansweredOwnLegTimesOutAndFreesMake) {
  fMain& w = connected("Sim-5.1.25-PBX");
  ASSERT_TRUE(simCommand("stall on"));
  number_.number = "555";
  w.Calls().MakeCall();
  const std::string leg1 = w.Legs().Leg1.CallID;
  ASSERT_NE(leg1, "0");
  ASSERT_TRUE(runUntil([&] { return idle(w); }, std::chrono::seconds(kLoginTimeout + 10)));
  EXPECT_TRUE(logged("->RequestFailed: Request timeout - " + leg1));
  EXPECT_EQ(canceledBoxes(), 1u);
  EXPECT_EQ(modes_.modes, (Modes{1, 2, 1}));
}

// The PBX never sends the extension list, or the list of an earlier login would be used:
// without an identity of its own the answered call is transferred; a list that comes later
// gives the next call its identity.
TEST_F(CallFlowTest, WithoutTheOwnIdentityTheAnsweredCallIsTransferred) {
  sendExtList_ = false;
  fMain& w = connected();
  ASSERT_FALSE(w.UseCallForward);
  auto callOnce = [&](const std::string& number) {
    const std::string leg1 = make(w, number);
    EXPECT_TRUE(sim_->sendState(telvane::parseId(leg1), 2));
    EXPECT_TRUE(runUntil([&] { return w.Legs().Leg1.State == 2 || idle(w); }));
    return leg1;
  };
  std::string leg1 = callOnce("555");
  ASSERT_TRUE(waitInbound({"transfercall", leg1, "\"tel:555\""}, 1));
  ASSERT_TRUE(runUntil([&] { return idle(w); }));
  EXPECT_EQ(inboundCount({"createcall"}), 1u);
  EXPECT_FALSE(w.UseCallForward);

  sim_->command("extlist");
  ASSERT_TRUE(runUntil([&] { return w.OwnAuthUser == "ann"; }));
  leg1 = callOnce("556");
  ASSERT_TRUE(waitInbound({"createcall", "\"tel:556\"", "\"Ann Smith\"", "\"ann\""}, 1));
  w.Calls().CloseCurrentCall();
  ASSERT_TRUE(runUntil([&] { return idle(w); }));

  // The next login forgets it until its own list comes.
  w.Telvane().Disconnect();
  w.DisconnectComplete();
  w.Connect(false);
  ASSERT_TRUE(w.PbxConnected);
  EXPECT_EQ(w.OwnAuthUser, "");
  EXPECT_EQ(w.OwnDisplayName, "");
  leg1 = callOnce("557");
  EXPECT_TRUE(waitInbound({"transfercall", leg1, "\"tel:557\""}, 1));
  EXPECT_EQ(inboundCount({"createcall", "\"tel:557\""}), 0u);
}

}  // namespace
}  // namespace ringova::testing
