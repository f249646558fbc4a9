#include "telvane/protocol/recording.h"

#include <gtest/gtest.h>

#include "tests/telvane/protocol/golden_texts.h"
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
  playStream.set(42, "stream.wav");
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
       golden::recordingCallStarted(),
       {"onRecordingCallStarted(42,pbx:101,sip:ann@h)"}},
      {&callClosed, golden::recordingCallClosed(), {"onRecordingCallClosed(42)"}},
      {&start, golden::startRecording(), {"onStartRecording(42,rec.wav)"}},
      {&stop, golden::stopRecording(), {"onStopRecording(42)"}},
      {&started, golden::recordingStarted(), {"onRecordingStarted(42,true)"}},
      {&suspended, golden::recordingSuspended(), {"onRecordingSuspended(42)"}},
      {&resumed, golden::recordingResumed(), {"onRecordingResumed(42)"}},
      {&stopped, golden::recordingStopped(), {"onRecordingStopped(42,false)"}},
      {&playStream, golden::playStream(), {"onPlayStream(42,stream.wav)"}},
      {&streamPlayedName, golden::streamPlayed(), {"onStreamPlayed(42)"}},
      {&stopStreamName, golden::stopStream(), {"onStopStream(42,true)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto read = expectReadBack(*c.method, c.text, c.delivers);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(automaticReply(*read), golden::plainAnswer());
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
