#include "telvane/protocol/call_events.h"

#include <gtest/gtest.h>

#include "tests/telvane/protocol/golden_texts.h"
#include "tests/telvane/protocol/message_checks.h"

namespace telvane {
namespace {

using namespace protocol_testing;

// ---- plain notifications

TEST(CallEventNotifications, WriteReadAndDeliverTheirValues) {
  CallStateChangedMethod withError;
  withError.setState(42, 6, 486);
  CallStateChangedMethod withoutError;
  withoutError.setState(42, 3);
  MessagePlayedMethod played;
  played.setCallId(42);
  DTMFInjectedMethod injected;
  injected.setCallId(42);
  DtmfDigitReceivedMethod digit;
  digit.setDigit(42, '5');

  struct Case {
    XmlRpcRequestMethod* method;
    std::string text;
    Log delivers;
  };
  const Case cases[] = {
      {&withError, golden::callStateChanged(), {"onCallStateChanged(42,6,486)"}},
      {&withoutError,
       callText("callstatechanged", {str("42"), i4(3)}),
       {"onCallStateChanged(42,3,0)"}},
      {&played, golden::messagePlayed(), {"onMessagePlayed(42)"}},
      {&injected, golden::dtmfInjected(), {"onDTMFInjected(42)"}},
      {&digit, golden::dtmfDigitDetected(), {"onDtmfDigitDetected(42,53)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto read = expectReadBack(*c.method, c.text, c.delivers);
    ASSERT_NE(read, nullptr);
    // The automatic reply is the plain response with the call's ID.
    EXPECT_EQ(automaticReply(*read), golden::plainAnswer());
  }
}

TEST(CallEventNotifications, DigitKeepsOnlyTheLowByte) {
  DtmfDigitReceivedMethod digit;
  digit.setDigit(1, 0x1B5);  // low byte 0xB5, sign-extended
  EXPECT_EQ(wire(digit), callText("dtmfdigitdetected", {str("1"), i4(-75)}));
  EXPECT_EQ(delivered(digit), Log{"onDtmfDigitDetected(1,181)"});
  EXPECT_EQ(deliveredFrom(callText("dtmfdigitdetected", {str("1"), i4(0x123)})),
            Log{"onDtmfDigitDetected(1,35)"});
}

TEST(CallEventNotifications, ParamsThatDoNotMatchAreRejected) {
  const std::string rejected[] = {
      callText("callstatechanged", {str("42")}),
      callText("callstatechanged", {str("42"), str("6")}),
      callText("callstatechanged", {str("42"), i4(6), i4(0), i4(1)}),
      callText("messageplayed", {str("42"), str("43")}),
      callText("dtmfdigitdetected", {str("42"), str("5")}),
      callText("process", {str("42"), structOf({})}),  // the struct comes first
      callText("process", {structOf({})}),
      callText("calloriginated", {structOf({}), str("42"), str("43")}),
      callText("callestablished", {str("42"), i4(0)}),
      callText("callestablished", {str("42"), i4(0), str("pbx:1"), str("x")}),
  };
  for (const std::string& text : rejected) {
    EXPECT_EQ(parseCall(text).kind, ParsedCall::Kind::kUnknown) << text;
  }
}

// ---- "process" and its decision replies

TEST(CallArrived, WritesTheStructAndDeliversTheParties) {
  CallArrivedMethod full;
  ASSERT_TRUE(full.setCall(42, party("sip:ann@h"), party("pbx:101"), 41, "101"));
  const std::string fullText = callText("process", {structOf({{"From", str("sip:ann@h")},
                                                              {"To", str("pbx:101")},
                                                              {"OrigCallID", str("41")},
                                                              {"Ext", str("101")}}),
                                                    str("42")});
  EXPECT_EQ(wire(full), fullText);
  EXPECT_EQ(deliveredFrom(fullText), Log{"onCallArrived(42,sip:ann@h,pbx:101,41,101)"});

  CallArrivedMethod bare;
  ASSERT_TRUE(bare.setCall(42, party("tel:555"), party("pbx:101")));
  const std::string bareText = callText(
      "process", {structOf({{"From", str("tel:555")}, {"To", str("pbx:101")}}), str("42")});
  EXPECT_EQ(wire(bare), bareText);
  EXPECT_EQ(deliveredFrom(bareText), Log{"onCallArrived(42,tel:555,pbx:101,0,)"});

  PartyAddress unbuildable;
  unbuildable.kind = kPartySip;
  CallArrivedMethod broken;
  EXPECT_FALSE(broken.setCall(42, unbuildable, party("pbx:101")));
  EXPECT_EQ(wire(broken), "");
}

TEST(CallArrived, MissingOrBadPartiesParseButDeliverNothing) {
  const std::string texts[] = {
      callText("process", {structOf({{"To", str("pbx:101")}}), str("42")}),
      callText("process", {structOf({{"From", i4(5)}, {"To", str("pbx:101")}}), str("42")}),
      callText("process", {structOf({{"From", str("")}, {"To", str("pbx:101")}}), str("42")}),
  };
  for (const std::string& text : texts) EXPECT_EQ(deliveredFrom(text), Log{}) << text;
}

TEST(CallArrivedDecision, AcceptRejectAndForwardWriteTheirActionStructs) {
  CallArrivedResponseMethod acceptBare;
  acceptBare.setAccept(42, "", "", true);
  EXPECT_EQ(wire(acceptBare),
            responseText({structOf({{"action", str("accept")}, {"remotecontrol", boolean(true)}}),
                          str("42")}));

  CallArrivedResponseMethod acceptFull;
  acceptFull.setAccept(42, "555", "Ann", false);
  EXPECT_EQ(wire(acceptFull), responseText({structOf({{"action", str("accept")},
                                                      {"callerid", str("555")},
                                                      {"displayname", str("Ann")},
                                                      {"remotecontrol", boolean(false)}}),
                                            str("42")}));

  CallArrivedResponseMethod reject;
  reject.setDecline(42);
  EXPECT_EQ(wire(reject), responseText({structOf({{"action", str("decline")}}), str("42")}));

  CallArrivedResponseMethod declineWithReason;
  declineWithReason.setDecline(42, "busy");
  EXPECT_EQ(
      wire(declineWithReason),
      responseText(
          {structOf({{"action", str("decline")}, {"reason", arrayOf({str("busy")})}}), str("42")}));

  CallArrivedResponseMethod forward;
  ASSERT_TRUE(forward.setRedirect(42, party("PBX:102"), "555", "Ann"));
  EXPECT_EQ(wire(forward), responseText({structOf({{"action", str("redirect")},
                                                   {"target", arrayOf({str("pbx:102")})},
                                                   {"callerid", str("555")},
                                                   {"displayname", str("Ann")}}),
                                         str("42")}));

  PartyAddress unbuildable;
  unbuildable.kind = kPartySip;
  CallArrivedResponseMethod forwardNowhere;
  EXPECT_FALSE(forwardNowhere.setRedirect(42, unbuildable, "", ""));
  EXPECT_EQ(wire(forwardNowhere),
            responseText({structOf({{"action", str("redirect")}}), str("42")}));

  CallArrivedResponseMethod unset;
  EXPECT_EQ(wire(unset), "");
}

// What the control writes, the PBX's side reads back to the same decision and values.
TEST(CallArrivedDecision, TheControlsRepliesReadBackThroughTheOffer) {
  CallArrivedMethod offer;
  ASSERT_TRUE(offer.setCall(42, party("tel:555"), party("pbx:101")));

  CallArrivedResponseMethod accept;
  accept.setAccept(42, "555", "Ann", true);
  CallArrivedResponseMethod reject;
  reject.setDecline(42, "busy");
  CallArrivedResponseMethod forward;
  ASSERT_TRUE(forward.setRedirect(42, party("sip:bob@h:5060"), "", "Ann"));

  struct Case {
    CallArrivedResponseMethod* reply;
    Log delivers;
  };
  const Case cases[] = {
      {&accept, {"onCallArrivedAccept(42,555,Ann,true)"}},
      {&reject, {"onCallReject(42)"}},
      {&forward, {"onCallArrivedForward(42,[sip:bob@h:5060],,Ann)"}},
  };
  for (const Case& c : cases) {
    const std::string text = wire(*c.reply);
    SCOPED_TRACE(text);
    auto read = offer.parseResponse(unframed(text));
    ASSERT_NE(read, nullptr);
    auto* decision = dynamic_cast<CallArrivedResponseMethod*>(read.get());
    ASSERT_NE(decision, nullptr);
    EXPECT_EQ(decision->decision(), c.reply->decision());
    EXPECT_EQ(decision->callerId(), c.reply->callerId());
    EXPECT_EQ(decision->displayName(), c.reply->displayName());
    EXPECT_EQ(decision->remoteControl(), c.reply->remoteControl());
    EXPECT_EQ(decision->declineReason(), c.reply->declineReason());
    EXPECT_EQ(decision->targets(), c.reply->targets());
    EXPECT_EQ(decision->idNumber(), 42u);
    EXPECT_EQ(delivered(*decision), c.delivers);
    EXPECT_EQ(delivered(*c.reply), c.delivers);
    EXPECT_EQ(wire(*decision), text);
  }
}

TEST(CallArrivedDecision, ReadsTheSingleStructFormWithCallId) {
  CallArrivedResponseMethod reply;
  ASSERT_TRUE(reply.parseText(
      unframed(responseText({structOf({{"CallID", str("77")},
                                       {"ACTION", str("Decline")},
                                       {"reason", arrayOf({str("busy"), str("later")})}})}))));
  EXPECT_EQ(reply.decision(), CallArrivedResponseMethod::kDecline);
  EXPECT_EQ(reply.declineReason(), "busy");
  EXPECT_EQ(delivered(reply), Log{"onCallReject(77)"});

  // An unknown action, and an accept without "remotecontrol", are plain accepts.
  CallArrivedResponseMethod odd;
  ASSERT_TRUE(odd.parseText(unframed(responseText(
      {structOf({{"CallID", str("78")}, {"action", str("hold")}, {"callerid", str("555")}})}))));
  EXPECT_EQ(delivered(odd), Log{"onCallArrivedAccept(78,555,,false)"});

  // "CallID" wins over a second param; nothing may follow the ID.
  CallArrivedResponseMethod both;
  ASSERT_TRUE(both.parseText(unframed(
      responseText({structOf({{"CallID", str("79")}, {"action", str("decline")}}), str("80")}))));
  EXPECT_EQ(both.idNumber(), 79u);
  CallArrivedResponseMethod tooMany;
  EXPECT_FALSE(tooMany.parseText(
      unframed(responseText({structOf({{"action", str("decline")}}), str("80"), str("81")}))));
  CallArrivedResponseMethod notStruct;
  EXPECT_FALSE(notStruct.parseText(unframed(responseText({str("80")}))));
}

TEST(CallArrivedDecision, RedirectCutsTheMessageTakerMarkerAndFallsBackToAccept) {
  bool found = false;
  EXPECT_EQ(cutMessageTakerMarker("pbx:102;actor=\"msg-taker\"", found), "pbx:102");
  EXPECT_TRUE(found);
  EXPECT_EQ(cutMessageTakerMarker("actor=\"msg-taker\"pbx:102", found), "pbx:102");
  EXPECT_TRUE(found);
  EXPECT_EQ(cutMessageTakerMarker("pbx:102", found), "pbx:102");
  EXPECT_FALSE(found);

  CallArrivedResponseMethod reply;
  ASSERT_TRUE(reply.parseText(unframed(responseText(
      {structOf({{"action", str("redirect")},
                 {"target", arrayOf({str("vm:101;actor=\"msg-taker\""), str(""), str("tel:555")})},
                 {"displayname", str("Ann")}}),
       str("42")}))));
  EXPECT_EQ(delivered(reply), Log{"onCallArrivedForward(42,[[taker]vm:101][tel:555],,Ann)"});

  CallArrivedResponseMethod nowhere;
  ASSERT_TRUE(nowhere.parseText(unframed(responseText(
      {structOf(
           {{"action", str("redirect")}, {"target", arrayOf({str("")})}, {"callerid", str("555")}}),
       str("42")}))));
  EXPECT_EQ(delivered(nowhere), Log{"onCallArrivedAccept(42,555,,false)"});
}

// ---- "calloriginated" and its decision replies

TEST(CallOriginated, WritesTheStructAndDeliversOnlyWhenComplete) {
  CallOriginatedMethod request;
  ASSERT_TRUE(request.setCall(42, "101", party("pbx:101"), party("tel:555"), "9*"));
  const std::string text = golden::callOriginated();
  EXPECT_EQ(wire(request), text);
  EXPECT_EQ(deliveredFrom(text), Log{"onCallOriginated(42,101,pbx:101,tel:555,9*)"});

  EXPECT_EQ(deliveredFrom(callText(
                "calloriginated",
                {structOf({{"Ext", str("101")}, {"From", str("pbx:101")}, {"To", str("tel:555")}}),
                 str("42")})),
            Log{});

  // The automatic reply has no action yet, so nothing goes out.
  auto reply = request.createResponse(false);
  ASSERT_NE(dynamic_cast<CallOriginatedResponseMethod*>(reply.get()), nullptr);
  reply->setId(42);
  EXPECT_EQ(wire(*reply), "");
}

TEST(CallOriginatedDecision, AcceptNeedsASubscriptionAndBothFormsReadBack) {
  CallOriginatedResponseMethod noSubscription;
  EXPECT_FALSE(noSubscription.setAccept(42, 0));
  EXPECT_EQ(wire(noSubscription), "");

  CallOriginatedResponseMethod accept;
  ASSERT_TRUE(accept.setAccept(42, 9000000000000000001ull));
  const std::string acceptText = responseText(
      {structOf({{"action", str("accept")}, {"subscrid", str("9000000000000000001")}}), str("42")});
  EXPECT_EQ(wire(accept), acceptText);

  CallOriginatedResponseMethod decline;
  decline.setDecline(42);
  const std::string declineText = responseText({structOf({{"action", str("decline")}}), str("42")});
  EXPECT_EQ(wire(decline), declineText);

  CallOriginatedMethod request;
  auto acceptRead = request.parseResponse(unframed(acceptText));
  ASSERT_NE(acceptRead, nullptr);
  EXPECT_EQ(delivered(*acceptRead), Log{"onCallOriginatedAccept(42,9000000000000000001)"});
  EXPECT_EQ(wire(*acceptRead), acceptText);
  auto declineRead = request.parseResponse(unframed(declineText));
  ASSERT_NE(declineRead, nullptr);
  EXPECT_EQ(delivered(*declineRead), Log{"onCallReject(42)"});

  CallOriginatedResponseMethod single;
  ASSERT_TRUE(single.parseText(unframed(responseText(
      {structOf({{"CallID", str("43")}, {"action", str("ACCEPT")}, {"subscrid", str("7")}})}))));
  EXPECT_EQ(delivered(single), Log{"onCallOriginatedAccept(43,7)"});
}

// ---- "callestablished"

TEST(CallEstablished, WritesThePartyWithTheKindsPrefix) {
  CallEstablishedMethod withTexts;
  const std::string texts[] = {"a", "b"};
  ASSERT_TRUE(withTexts.setEstablished(42, kPartyPbx, party("tel:101"), texts));
  const std::string withText = callText(
      "callestablished", {str("42"), i4(0), str("pbx:101"), arrayOf({str("a"), str("b")})});
  EXPECT_EQ(wire(withTexts), withText);
  EXPECT_EQ(deliveredFrom(withText), Log{"onCallEstablished(42,0,pbx:101,[a][b])"});

  CallEstablishedMethod bare;
  ASSERT_TRUE(bare.setEstablished(42, kPartyTel, party("pbx:555")));
  const std::string bareText = golden::callEstablished();
  EXPECT_EQ(wire(bare), bareText);
  EXPECT_EQ(deliveredFrom(bareText), Log{"onCallEstablished(42,3,tel:555,)"});

  EXPECT_EQ(deliveredFrom(callText("callestablished", {str("42"), i4(0), str("")})), Log{});
}

}  // namespace
}  // namespace telvane
