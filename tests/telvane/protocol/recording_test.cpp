#include "telvane/protocol/recording.h"

#include <gtest/gtest.h>

#include "tests/telvane/protocol/message_checks.h"

namespace telvane {
namespace {

using namespace protocol_testing;

TEST(RecordingMethods, EachWritesReadsAndDeliversItsValues) {
  RecordingCallStartedMethod callStarted;
  ASSERT_TRUE(callStarted.setParties(42, party("pbx:101"), party("sip:ann@h")));
  RecordingCallClosedMethod callClosed;
  callClosed.setCallId(42);
  StartRecordingMethod start;
  start.set(42, "rec.wav");
  StopRecordingMethod stop;
  stop.setCallId(42);
  RecordingStartedMethod started;
  started.set(42, true);
  RecordingSuspendedMethod suspended;
  suspended.setCallId(42);
  RecordingResumedMethod resumed;
  resumed.setCallId(42);
  RecordingStoppedMethod stopped;
  stopped.set(42, false);
  PlayStreamMethod playStream;
  playStream.set(42, "rtp://x");
  StopStreamMethod streamPlayedName;  // made for "streamplayed"
  streamPlayedName.setCallId(42);
  StreamPlayedMethod stopStreamName;  // made for "stopstream"
  stopStreamName.set(42, true);

  struct Case {
    XmlRpcRequestMethod* method;
    std::string text;
    Log delivers;
  };
  const Case cases[] = {
      {&callStarted,
       callText("recordingcallstarted", {str("42"), str("pbx:101"), str("sip:ann@h")}),
       {"onRecordingCallStarted(42,pbx:101,sip:ann@h)"}},
      {&callClosed, callText("recordingcallclosed", {str("42")}), {"onRecordingCallClosed(42)"}},
      {&start,
       callText("startrecording", {str("42"), str("rec.wav")}),
       {"onStartRecording(42,rec.wav)"}},
      {&stop, callText("stoprecording", {str("42")}), {"onStopRecording(42)"}},
      {&started,
       callText("recordingstarted", {str("42"), boolean(true)}),
       {"onRecordingStarted(42,true)"}},
      {&suspended, callText("recordingsuspended", {str("42")}), {"onRecordingSuspended(42)"}},
      {&resumed, callText("recordingresumed", {str("42")}), {"onRecordingResumed(42)"}},
      {&stopped,
       callText("recordingstopped", {str("42"), boolean(false)}),
       {"onRecordingStopped(42,false)"}},
      {&playStream,
       callText("playstream", {str("42"), str("rtp://x")}),
       {"onPlayStream(42,rtp://x)"}},
      {&streamPlayedName, callText("streamplayed", {str("42")}), {"onStreamPlayed(42)"}},
      {&stopStreamName,
       callText("stopstream", {str("42"), boolean(true)}),
       {"onStopStream(42,true)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(wire(*c.method), c.text);
    ParsedCall parsed = parseCall(c.text);
    ASSERT_EQ(parsed.kind, ParsedCall::Kind::kCall);
    EXPECT_EQ(parsed.method->type(), c.method->type());
    const XmlRpcRequestMethod& got = *parsed.method;  // no call inside typeid (clang warns)
    EXPECT_EQ(typeid(got), typeid(*c.method));
    EXPECT_EQ(delivered(*parsed.method), c.delivers);
    auto reply = parsed.method->createResponse(false);
    reply->setId(parsed.method->idNumber());
    EXPECT_EQ(wire(*reply), responseText({str("42")}));
  }
}

TEST(RecordingMethods, MissingFlagIsAcknowledgedButDeliversNothing) {
  for (const char* name : {"recordingstarted", "recordingstopped", "stopstream"}) {
    const std::string text = callText(name, {str("42")});
    SCOPED_TRACE(text);
    ParsedCall parsed = parseCall(text);
    ASSERT_EQ(parsed.kind, ParsedCall::Kind::kCall);
    EXPECT_EQ(delivered(*parsed.method), Log{});
    EXPECT_EQ(wire(*parsed.method), text);  // an unset flag stays out
  }
}

TEST(RecordingMethods, PartiesThatDoNotParseDeliverNothing) {
  EXPECT_EQ(deliveredFrom(callText("recordingcallstarted", {str("42"), str("pbx:1"), str("")})),
            Log{});
  PartyAddress unbuildable;
  unbuildable.kind = kPartySip;
  RecordingCallStartedMethod method;
  EXPECT_FALSE(method.setParties(42, party("pbx:1"), unbuildable));
  EXPECT_EQ(wire(method), "");
}

TEST(RecordingMethods, ParamsThatDoNotMatchAreRejected) {
  const std::string rejected[] = {
      callText("streamplayed", {str("42"), boolean(true)}),  // takes the id only
      callText("stopstream", {str("42"), boolean(true), boolean(true)}),
      callText("recordingstopped", {str("42"), i4(1)}),
      callText("startrecording", {str("42")}),
      callText("recordingcallstarted", {str("42"), str("pbx:1")}),
      callText("recordingsuspended", {i4(42)}),
  };
  for (const std::string& text : rejected) {
    EXPECT_EQ(parseCall(text).kind, ParsedCall::Kind::kUnknown) << text;
  }
}

}  // namespace
}  // namespace telvane
