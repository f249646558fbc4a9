#include "telvane/protocol/recording.h"

#include <string>

#include "telvane/protocol/session_callbacks.h"

namespace telvane {

bool RecordingCallStartedMethod::setParties(CallId callId, const PartyAddress& first,
                                            const PartyAddress& second) {
  setIdText(formatId(callId));
  const bool firstBuilt = setParty(1, first);
  const bool secondBuilt = setParty(2, second);
  return firstBuilt && secondBuilt;
}

void RecordingCallStartedMethod::dispatch(SessionCallbacks& callbacks) {
  PartyAddress first;
  PartyAddress second;
  if (!parseParty(stringParam(1), first) || !parseParty(stringParam(2), second)) return;
  callbacks.onRecordingCallStarted(idNumber(), first, second);
}

void RecordingCallClosedMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onRecordingCallClosed(idNumber());
}

void StartRecordingMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onStartRecording(idNumber(), std::string(text()));
}

void StopRecordingMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onStopRecording(idNumber());
}

void RecordingStartedMethod::dispatch(SessionCallbacks& callbacks) {
  if (hasFlag()) callbacks.onRecordingStarted(idNumber(), flag());
}

void RecordingSuspendedMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onRecordingSuspended(idNumber());
}

void RecordingResumedMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onRecordingResumed(idNumber());
}

void RecordingStoppedMethod::dispatch(SessionCallbacks& callbacks) {
  if (hasFlag()) callbacks.onRecordingStopped(idNumber(), flag());
}

void PlayStreamMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onPlayStream(idNumber(), std::string(text()));
}

void StopStreamMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onStreamPlayed(idNumber());
}

void StreamPlayedMethod::dispatch(SessionCallbacks& callbacks) {
  if (hasFlag()) callbacks.onStopStream(idNumber(), flag());
}

}  // namespace telvane
