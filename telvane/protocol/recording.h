#pragma once
// Recording and media-stream methods. The control sends none of them and its callbacks for them
// do nothing; the classes make such calls from the PBX parse and get the plain acknowledgement
// instead of the unknown-method fault. The names "streamplayed" and "stopstream" cross:
// StopStreamMethod is made for "streamplayed" (type 41), StreamPlayedMethod for "stopstream"
// (type 42), and each writes the name of its own type.

#include <span>

#include "telvane/protocol/call_control.h"
#include "telvane/xmlrpc/method_table.h"
#include "telvane/xmlrpc/party_address.h"

namespace telvane {

// "recordingcallstarted": the call and two party texts; nothing is delivered unless both parse.
class RecordingCallStartedMethod : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {
      {"id", kXmlRpcString, ParamPresence::kMandatory, true},
      {"first", kXmlRpcString, ParamPresence::kMandatory, false},
      {"second", kXmlRpcString, ParamPresence::kMandatory, false}};

  RecordingCallStartedMethod() : XmlRpcRequestMethod(kRecordingCallStarted) {}
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void dispatch(SessionCallbacks& callbacks) override;

  // False (that party unset) when a party does not build.
  bool setParties(CallId callId, const PartyAddress& first, const PartyAddress& second);
};

class RecordingCallClosedMethod : public CallIdRequest {
 public:
  RecordingCallClosedMethod() : CallIdRequest(kRecordingCallClosed) {}
  void dispatch(SessionCallbacks& callbacks) override;
};

class StartRecordingMethod : public CallTextRequest {
 public:
  StartRecordingMethod() : CallTextRequest(kStartRecording) {}
  void dispatch(SessionCallbacks& callbacks) override;
};

class StopRecordingMethod : public CallIdRequest {
 public:
  StopRecordingMethod() : CallIdRequest(kStopRecording) {}
  void dispatch(SessionCallbacks& callbacks) override;
};

class RecordingStartedMethod : public CallFlagRequest {
 public:
  RecordingStartedMethod() : CallFlagRequest(kRecordingStarted) {}
  void dispatch(SessionCallbacks& callbacks) override;
};

class RecordingSuspendedMethod : public CallIdRequest {
 public:
  RecordingSuspendedMethod() : CallIdRequest(kRecordingSuspended) {}
  void dispatch(SessionCallbacks& callbacks) override;
};

class RecordingResumedMethod : public CallIdRequest {
 public:
  RecordingResumedMethod() : CallIdRequest(kRecordingResumed) {}
  void dispatch(SessionCallbacks& callbacks) override;
};

class RecordingStoppedMethod : public CallFlagRequest {
 public:
  RecordingStoppedMethod() : CallFlagRequest(kRecordingStopped) {}
  void dispatch(SessionCallbacks& callbacks) override;
};

class PlayStreamMethod : public CallTextRequest {
 public:
  PlayStreamMethod() : CallTextRequest(kPlayStream) {}
  void dispatch(SessionCallbacks& callbacks) override;
};

// Made for "streamplayed": the call ID only; reaches onStreamPlayed.
class StopStreamMethod : public CallIdRequest {
 public:
  StopStreamMethod() : CallIdRequest(kStreamPlayed) {}
  void dispatch(SessionCallbacks& callbacks) override;
};

// Made for "stopstream": the call ID and an optional flag; reaches onStopStream.
class StreamPlayedMethod : public CallFlagRequest {
 public:
  StreamPlayedMethod() : CallFlagRequest(kStopStream) {}
  void dispatch(SessionCallbacks& callbacks) override;
};

}  // namespace telvane
