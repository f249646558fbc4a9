#include "telvane/protocol/call_control.h"

#include <gtest/gtest.h>

#include "tests/telvane/protocol/golden_texts.h"
#include "tests/telvane/protocol/message_checks.h"

namespace telvane {
namespace {

using namespace protocol_testing;

TEST(CallControlWire, CreateCallWritesOptionalParamsOnlyWhenGiven) {
  CreateCallMethod all;
  ASSERT_TRUE(all.setCall(42, "system", party("PBX:101"), "Ringova", "ann", 9));
  EXPECT_EQ(wire(all), golden::createCall());

  CreateCallMethod plain;
  ASSERT_TRUE(plain.setCall(43, "system", party("5551234")));
  EXPECT_EQ(wire(plain), golden::createCallPlain());

  // A user name without display name closes up into the fourth param.
  CreateCallMethod cid;
  ASSERT_TRUE(cid.setCall(44, "system", party("pbx:101"), "", "ann"));
  EXPECT_EQ(wire(cid),
            callText("createcall", {str("44"), str("system"), str("pbx:101"), str("ann")}));
}

TEST(CallControlWire, MandatoryValueMissingWritesNothing) {
  PartyAddress noUserNoHost;
  noUserNoHost.kind = kPartySip;
  CreateCallMethod create;
  EXPECT_FALSE(create.setCall(42, "system", noUserNoHost));
  std::string out = "kept";
  EXPECT_FALSE(create.serialize(out));
  EXPECT_EQ(out, "kept");

  TransferCallMethod transfer;
  EXPECT_FALSE(transfer.setTransfer(42, noUserNoHost));
  EXPECT_EQ(wire(transfer), "");

  CloseCallMethod close;  // no ID
  EXPECT_EQ(wire(close), "");
}

TEST(CallControlWire, EachRequestWritesItsTableAndReadsBackToTheSameValues) {
  CloseCallMethod close;
  close.setCallId(42);
  TransferCallMethod transfer;
  ASSERT_TRUE(transfer.setTransfer(42, party("vm:101;2")));
  JoinCallsMethod join;
  join.setCalls(42, 43);
  UnjoinCallsMethod unjoin;
  unjoin.setCalls(42, 43);
  PlayMessageMethod play;
  play.setPlay(42, "autocallwait.wav", 3);
  InjectDTMFMethod inject;
  inject.set(42, "12#");
  EnableDtmfDetectionMethod detectOn;
  detectOn.setDetection(42, 1);
  EnableDtmfDetectionMethod detectOther;
  detectOther.setDetection(42, 2);  // only 1 switches it on
  IncomingCallHandlingMethod handling;
  handling.setHandling("101", 1);
  NotifyCallEstablishmentMethod notify;
  notify.setFlag(1);

  struct Case {
    XmlRpcRequestMethod* method;
    std::string text;
    Log delivers;
  };
  const Case cases[] = {
      {&close, golden::closeCall(), {"onCloseCall(42)"}},
      {&transfer, golden::transferCall(), {"onTransferCall(42,vm:101;2)"}},
      {&join, golden::joinCalls(), {"onJoinCalls(42,43)"}},
      {&unjoin, golden::unjoinCalls(), {"onUnjoinCalls(42,43)"}},
      {&play, golden::playMessage(), {"onPlayMessage(42,autocallwait.wav,3)"}},
      {&inject, golden::injectDtmf(), {"onInjectDTMF(42,12#)"}},
      {&detectOn, golden::enableDtmfDetection(), {"onEnableDtmfDetection(42,true)"}},
      {&detectOther,
       callText("enabledtmfdetection", {str("42"), boolean(false)}),
       {"onEnableDtmfDetection(42,false)"}},
      {&handling, golden::incomingCallHandling(), {"onIncomingCallHandling(101,true)"}},
      {&notify, golden::notifyCallEstablishment(), {"onNotifyCallEstablishment(true)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto read = expectReadBack(*c.method, c.text, c.delivers);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(wire(*read), c.text);  // what was read writes the same text again
  }
}

TEST(CallControlRead, CreateCallDeliversEveryValueAndDefaultsForLeftOutOnes) {
  EXPECT_EQ(deliveredFrom(callText("createcall", {str("42"), str("system"), str("PBX:101"),
                                                  str("Ringova"), str("ann"), i4(7)})),
            Log{"onCreateCall(42,system,pbx:101,Ringova,ann,7)"});
  EXPECT_EQ(deliveredFrom(callText("createcall", {str("42"), str("system"), str("pbx:101")})),
            Log{"onCreateCall(42,system,pbx:101,,,0)"});
  // The callee must be a party, else nothing is delivered.
  EXPECT_EQ(deliveredFrom(callText("createcall", {str("42"), str("system"), str("")})), Log{});
  EXPECT_EQ(deliveredFrom(callText("transfercall", {str("42"), str("")})), Log{});
}

TEST(CallControlRead, PlayMessageWithoutCountDeliversMinusOne) {
  EXPECT_EQ(deliveredFrom(callText("playmessage", {str("42"), str("a.wav")})),
            Log{"onPlayMessage(42,a.wav,-1)"});
}

TEST(CallControlRead, ParamsThatDoNotMatchTheTableGiveTheUnknownMarker) {
  const std::string rejected[] = {
      callText("closecall", {i4(42)}),                                          // wrong type
      callText("closecall", {str("42"), str("43")}),                            // extra param
      callText("closecall", {}),                                                // missing id
      callText("createcall", {str("42"), str("system")}),                       // missing callee
      callText("createcall", {str("42"), str("system"), str("pbx:1"), i4(7)}),  // gap
      callText("createcall",
               {str("42"), str("s"), str("pbx:1"), str("d"), str("u"), i4(7), str("more")}),
      callText("playmessage", {str("42"), str("a.wav"), str("3")}),
      callText("enabledtmfdetection", {str("42"), i4(1)}),
      callText("incomingcallhandling", {str("101")}),
      callText("notifycallestablishment", {str("42"), boolean(true)}),
  };
  for (const std::string& text : rejected) {
    EXPECT_EQ(parseCall(text).kind, ParsedCall::Kind::kUnknown) << text;
  }
}

TEST(CallControlRead, NamesMatchIgnoringCase) {
  const std::string text =
      "<?xml version=\"1.0\"?>\r\n<METHODCALL>\r\n<methodName>services.callprocessingservice."
      "CLOSECALL</methodName>\r\n<params>\r\n<param>\r\n<value><string>9</string></value>\r\n"
      "</param>\r\n</params>\r\n</METHODCALL>";
  EXPECT_EQ(deliveredFrom(text), Log{"onCloseCall(9)"});
}

TEST(CallControlRead, NotifyCallEstablishmentIsAnsweredWithZero) {
  ParsedCall call = parseCall(golden::notifyCallEstablishment());
  ASSERT_EQ(call.kind, ParsedCall::Kind::kCall);
  auto reply = call.method->createResponse(false);
  ASSERT_NE(reply, nullptr);
  reply->setId(call.method->idNumber());
  EXPECT_EQ(wire(*reply), responseText({str("0")}));
  EXPECT_EQ(delivered(*reply), Log{});
}

TEST(CallControlRead, FaultAnswerReadsBackThroughTheRequest) {
  CloseCallMethod close;
  close.setCallId(42);
  auto plain = close.parseResponse(unframed(golden::plainAnswer()));
  ASSERT_NE(plain, nullptr);
  EXPECT_FALSE(plain->isFault());
  EXPECT_EQ(plain->idNumber(), 42u);

  auto fault = makeUnknownMethodFault();
  auto answer = close.parseResponse(unframed(wire(*fault)));
  ASSERT_NE(answer, nullptr);
  EXPECT_TRUE(answer->isFault());
  EXPECT_EQ(delivered(*answer), Log{"onRequestFailed(0,1,Unknown XML RPC method)"});
}

}  // namespace
}  // namespace telvane
