#include "telvane/protocol/call_control.h"

#include <string>

#include "telvane/protocol/session_callbacks.h"

namespace telvane {

// ---- shapes

void CallIdRequest::setCallId(CallId callId) {
  setIdText(formatId(callId));
}

void CallTextRequest::set(CallId callId, std::string_view text) {
  setIdText(formatId(callId));
  setString(1, text);
}

void CallFlagRequest::set(CallId callId, std::optional<bool> flag) {
  setIdText(formatId(callId));
  if (flag) {
    setBool(1, *flag);
  } else {
    setParam(1, nullptr);
  }
}

void CallPairRequest::setCalls(CallId callId, CallId otherCallId) {
  setIdText(formatId(callId));
  setString(1, formatId(otherCallId));
}

// ---- createcall

bool CreateCallMethod::setCall(CallId callId, std::string_view caller, const PartyAddress& callee,
                               std::string_view displayName, std::string_view userName,
                               std::optional<int32_t> number) {
  setIdText(formatId(callId));
  setString(1, caller);
  setString(3, displayName);
  setString(4, userName);
  if (number) {
    setInt(5, *number);
  } else {
    setParam(5, nullptr);
  }
  return setParty(2, callee);
}

void CreateCallMethod::dispatch(SessionCallbacks& callbacks) {
  PartyAddress callee;
  if (!parseParty(stringParam(2), callee)) return;
  callbacks.onCreateCall(idNumber(), std::string(stringParam(1)), callee,
                         std::string(stringParam(3)), std::string(stringParam(4)), intParam(5, 0));
}

// ---- closecall, transfercall, joincalls, unjoincalls

void CloseCallMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onCloseCall(idNumber());
}

bool TransferCallMethod::setTransfer(CallId callId, const PartyAddress& target) {
  setIdText(formatId(callId));
  return setParty(1, target);
}

void TransferCallMethod::dispatch(SessionCallbacks& callbacks) {
  // A target that does not parse would reach the PBX side as an empty party; deliver nothing.
  PartyAddress target;
  if (!parseParty(stringParam(1), target)) return;
  callbacks.onTransferCall(idNumber(), target);
}

void JoinCallsMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onJoinCalls(idNumber(), otherCallId());
}

void UnjoinCallsMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onUnjoinCalls(idNumber(), otherCallId());
}

// ---- playmessage, injectdtmf, enabledtmfdetection

void PlayMessageMethod::setPlay(CallId callId, std::string_view fileName, int32_t count) {
  setIdText(formatId(callId));
  setString(1, fileName);
  setInt(2, count);
}

void PlayMessageMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onPlayMessage(idNumber(), std::string(stringParam(1)), intParam(2, -1));
}

void InjectDTMFMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onInjectDTMF(idNumber(), std::string(text()));
}

void EnableDtmfDetectionMethod::setDetection(CallId callId, int32_t enable) {
  setIdText(formatId(callId));
  setBool(1, enable == 1);
}

void EnableDtmfDetectionMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onEnableDtmfDetection(idNumber(), boolParam(1));
}

// ---- incomingcallhandling, notifycallestablishment

void IncomingCallHandlingMethod::setHandling(std::string_view extension, int32_t handle) {
  setString(0, extension);
  setBool(1, handle == 1);
}

void IncomingCallHandlingMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onIncomingCallHandling(std::string(stringParam(0)), boolParam(1));
}

void NotifyCallEstablishmentMethod::setFlag(int32_t flag) {
  setBool(0, flag == 1);
}

void NotifyCallEstablishmentMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onNotifyCallEstablishment(boolParam(0));
}

}  // namespace telvane
