#include "tools/wire/json_callbacks.h"

namespace telvane::tools {

namespace {

// Protocol texts are bytes; JSON wants UTF-8.
Json text(const std::string& bytes) {
  return bytesToUtf8(bytes);
}
Json id(CallId value) {
  return formatId(value);
}
Json party(const PartyAddress& address) {
  return text(partyText(address));
}

Json nameAddress(const NameAddress& a) {
  return {{"displayName", text(a.displayName)},
          {"user", text(a.user)},
          {"host", text(a.host)},
          {"port", text(a.port)}};
}

Json mailRecord(const MailRecord& m) {
  return {{"subscriptionId", id(m.subscriptionId)},
          {"from", party(m.from)},
          {"time", text(m.time)},
          {"duration", m.duration},
          {"mailId", m.mailId}};
}

Json cdrRecord(const CdrRecord& r) {
  return {{"from", text(r.from)},
          {"to", text(r.to)},
          {"startTime", r.startTime},
          {"duration", r.duration},
          {"callGuid", text(r.callGuid)},
          {"details", text(r.details)},
          {"authenticatedBy", text(r.authenticatedBy)},
          {"callerIdRestricted", r.callerIdRestricted}};
}

Json cdrStatistics(const CdrStatistics& s) {
  return {{"rtpTxPackets", s.rtpTxPackets},
          {"rtpTxCodec", text(s.rtpTxCodec)},
          {"rtpTxPacketSize", s.rtpTxPacketSize},
          {"rtpRxPackets", s.rtpRxPackets},
          {"rtpRxCodec", text(s.rtpRxCodec)},
          {"rtpRxPacketSize", s.rtpRxPacketSize},
          {"rtpRxLost", s.rtpRxLost},
          {"rtpRxJitter", s.rtpRxJitter},
          {"rtpRxMaxDelay", s.rtpRxMaxDelay},
          {"rtpDelayIncCount", s.rtpDelayIncCount},
          {"rtpDelayDecCount", s.rtpDelayDecCount},
          {"faxTxPackets", s.faxTxPackets},
          {"faxTxDuplicatePackets", s.faxTxDuplicatePackets},
          {"faxRxPackets", s.faxRxPackets},
          {"faxRxLost", s.faxRxLost},
          {"faxRxBad", s.faxRxBad},
          {"faxRxDuplicatePackets", s.faxRxDuplicatePackets}};
}

Json dialogRecord(const DialogRecord& d) {
  return {{"callId", id(d.callId)},          {"local", nameAddress(d.local)},
          {"remote", nameAddress(d.remote)}, {"referredBy", nameAddress(d.referredBy)},
          {"callType", d.callType},          {"direction", d.direction},
          {"dialogState", d.dialogState},    {"stateEvent", d.stateEvent},
          {"duration", d.duration},          {"replacedCallId", id(d.replacedCallId)},
          {"callState", d.callState}};
}

Json extensionRecord(const ExtensionRecord& e) {
  return {{"extension", text(e.extension)},
          {"displayName", text(e.displayName)},
          {"sipAddress", text(e.sipAddress)},
          {"type", e.type},
          {"line", e.line}};
}

template <class T, class F>
Json list(const std::vector<T>& items, F convert) {
  Json out = Json::array();
  for (const T& item : items) out.push_back(convert(item));
  return out;
}

}  // namespace

Json JsonCallbacks::result() const {
  Json out;
  if (callback_.empty()) {
    out["callback"] = nullptr;
  } else {
    out["callback"] = callback_;
    out["args"] = args_;
  }
  return out;
}

void JsonCallbacks::record(const char* callback, Json args) {
  callback_ = callback;
  args_ = std::move(args);
}

void JsonCallbacks::onAuthenticate(const std::string& user, const std::string& password) {
  record("onAuthenticate", {{"user", text(user)}, {"password", text(password)}});
}
void JsonCallbacks::onSAuthenticate(const std::string& user, const std::string& timestamp,
                                    const std::string& authenticator) {
  record("onSAuthenticate", {{"user", text(user)},
                             {"timestamp", text(timestamp)},
                             {"authenticator", text(authenticator)}});
}
void JsonCallbacks::onGetExtension(const std::string& user) {
  record("onGetExtension", {{"user", text(user)}});
}
void JsonCallbacks::onGetExtensionResponse(bool found, const std::string& extension) {
  record("onGetExtensionResponse", {{"found", found}, {"extension", text(extension)}});
}
void JsonCallbacks::onIncomingCallHandling(const std::string& extension, bool handle) {
  record("onIncomingCallHandling", {{"extension", text(extension)}, {"handle", handle}});
}
void JsonCallbacks::onNotifyCallEstablishment(bool flag) {
  record("onNotifyCallEstablishment", {{"flag", flag}});
}
void JsonCallbacks::onCallArrived(CallId callId, const PartyAddress& from, const PartyAddress& to,
                                  CallId origCallId, const std::string& extension) {
  record("onCallArrived", {{"callId", id(callId)},
                           {"from", party(from)},
                           {"to", party(to)},
                           {"origCallId", id(origCallId)},
                           {"extension", text(extension)}});
}
void JsonCallbacks::onCallEstablished(CallId callId, int32_t kindCode, const PartyAddress& p,
                                      const std::vector<std::string>& texts) {
  record("onCallEstablished", {{"callId", id(callId)},
                               {"kindCode", kindCode},
                               {"party", party(p)},
                               {"texts", list(texts, text)}});
}
void JsonCallbacks::onCallArrivedAccept(CallId callId, const std::string& callerId,
                                        const std::string& displayName, bool remoteControl) {
  record("onCallArrivedAccept", {{"callId", id(callId)},
                                 {"callerId", text(callerId)},
                                 {"displayName", text(displayName)},
                                 {"remoteControl", remoteControl}});
}
void JsonCallbacks::onCallOriginatedAccept(CallId callId, CallId subscriptionId) {
  record("onCallOriginatedAccept",
         {{"callId", id(callId)}, {"subscriptionId", id(subscriptionId)}});
}
void JsonCallbacks::onCallArrivedForward(CallId callId, const std::vector<PartyAddress>& targets,
                                         const std::string& callerId,
                                         const std::string& displayName) {
  record("onCallArrivedForward", {{"callId", id(callId)},
                                  {"targets", list(targets, party)},
                                  {"callerId", text(callerId)},
                                  {"displayName", text(displayName)}});
}
void JsonCallbacks::onCallReject(CallId callId) {
  record("onCallReject", {{"callId", id(callId)}});
}
void JsonCallbacks::onCreateCall(CallId callId, const std::string& caller,
                                 const PartyAddress& callee, const std::string& displayName,
                                 const std::string& userName, int32_t number) {
  record("onCreateCall", {{"callId", id(callId)},
                          {"caller", text(caller)},
                          {"callee", party(callee)},
                          {"displayName", text(displayName)},
                          {"userName", text(userName)},
                          {"number", number}});
}
void JsonCallbacks::onCloseCall(CallId callId) {
  record("onCloseCall", {{"callId", id(callId)}});
}
void JsonCallbacks::onTransferCall(CallId callId, const PartyAddress& target) {
  record("onTransferCall", {{"callId", id(callId)}, {"target", party(target)}});
}
void JsonCallbacks::onJoinCalls(CallId callId, CallId otherCallId) {
  record("onJoinCalls", {{"callId", id(callId)}, {"otherCallId", id(otherCallId)}});
}
void JsonCallbacks::onUnjoinCalls(CallId callId, CallId otherCallId) {
  record("onUnjoinCalls", {{"callId", id(callId)}, {"otherCallId", id(otherCallId)}});
}
void JsonCallbacks::onPlayMessage(CallId callId, const std::string& fileName, int32_t count) {
  record("onPlayMessage", {{"callId", id(callId)}, {"fileName", text(fileName)}, {"count", count}});
}
void JsonCallbacks::onInjectDTMF(CallId callId, const std::string& digits) {
  record("onInjectDTMF", {{"callId", id(callId)}, {"digits", text(digits)}});
}
void JsonCallbacks::onEnableDtmfDetection(CallId callId, bool enable) {
  record("onEnableDtmfDetection", {{"callId", id(callId)}, {"enable", enable}});
}
void JsonCallbacks::onCallStateChanged(CallId callId, int32_t state, int32_t errorCode) {
  record("onCallStateChanged",
         {{"callId", id(callId)}, {"state", state}, {"errorCode", errorCode}});
}
void JsonCallbacks::onMessagePlayed(CallId callId) {
  record("onMessagePlayed", {{"callId", id(callId)}});
}
void JsonCallbacks::onDTMFInjected(CallId callId) {
  record("onDTMFInjected", {{"callId", id(callId)}});
}
void JsonCallbacks::onDtmfDigitDetected(CallId callId, char digit) {
  record("onDtmfDigitDetected", {{"callId", id(callId)}, {"digit", text(std::string(1, digit))}});
}
void JsonCallbacks::onSubscribe(CallId subscriptionId, int32_t kind, const std::string& extension) {
  record("onSubscribe",
         {{"subscriptionId", id(subscriptionId)}, {"kind", kind}, {"extension", text(extension)}});
}
void JsonCallbacks::onUnsubscribe(CallId subscriptionId, int32_t unused) {
  record("onUnsubscribe", {{"subscriptionId", id(subscriptionId)}, {"unused", unused}});
}
void JsonCallbacks::onSubscribeResponse(CallId subscriptionId, bool confirmed, int32_t errorCode) {
  record(
      "onSubscribeResponse",
      {{"subscriptionId", id(subscriptionId)}, {"confirmed", confirmed}, {"errorCode", errorCode}});
}
void JsonCallbacks::onMailArrived(const MailRecord& mail) {
  record("onMailArrived", {{"mail", mailRecord(mail)}});
}
void JsonCallbacks::onCdrArrived(CallId subscriptionId, int32_t fileType, const CdrRecord& r,
                                 const std::optional<CdrStatistics>& statistics) {
  record("onCdrArrived", {{"subscriptionId", id(subscriptionId)},
                          {"fileType", fileType},
                          {"record", cdrRecord(r)},
                          {"statistics", statistics ? cdrStatistics(*statistics) : Json()}});
}
void JsonCallbacks::onDlgArrived(CallId subscriptionId, const std::vector<DialogRecord>& dialogs) {
  record("onDlgArrived",
         {{"subscriptionId", id(subscriptionId)}, {"dialogs", list(dialogs, dialogRecord)}});
}
void JsonCallbacks::onPrsArrived(CallId subscriptionId, bool doNotDisturb) {
  record("onPrsArrived", {{"subscriptionId", id(subscriptionId)}, {"doNotDisturb", doNotDisturb}});
}
void JsonCallbacks::onExtListArrived(CallId subscriptionId,
                                     const std::vector<ExtensionRecord>& extensions) {
  record("onExtListArrived", {{"subscriptionId", id(subscriptionId)},
                              {"extensions", list(extensions, extensionRecord)}});
}
void JsonCallbacks::onCallOriginated(CallId callId, const std::string& extension,
                                     const PartyAddress& from, const PartyAddress& to,
                                     const std::string& pattern) {
  record("onCallOriginated", {{"callId", id(callId)},
                              {"extension", text(extension)},
                              {"from", party(from)},
                              {"to", party(to)},
                              {"pattern", text(pattern)}});
}
void JsonCallbacks::onRecordingCallStarted(CallId callId, const PartyAddress& first,
                                           const PartyAddress& second) {
  record("onRecordingCallStarted",
         {{"callId", id(callId)}, {"first", party(first)}, {"second", party(second)}});
}
void JsonCallbacks::onRecordingCallClosed(CallId callId) {
  record("onRecordingCallClosed", {{"callId", id(callId)}});
}
void JsonCallbacks::onGetSystemInfo(CallId requestId) {
  record("onGetSystemInfo", {{"requestId", id(requestId)}});
}
void JsonCallbacks::onGetFilesList(CallId requestId, const std::string& extension) {
  record("onGetFilesList", {{"requestId", id(requestId)}, {"extension", text(extension)}});
}
void JsonCallbacks::onDeleteFile(CallId requestId, const std::string& extension,
                                 const std::string& fileName) {
  record(
      "onDeleteFile",
      {{"requestId", id(requestId)}, {"extension", text(extension)}, {"fileName", text(fileName)}});
}
void JsonCallbacks::onBeginFileTransfer(CallId requestId, const std::string& extension,
                                        const std::string& fileName, int32_t size) {
  record("onBeginFileTransfer", {{"requestId", id(requestId)},
                                 {"extension", text(extension)},
                                 {"fileName", text(fileName)},
                                 {"size", size}});
}
void JsonCallbacks::onConfigurationUpdate(CallId requestId, const std::string& fileName,
                                          int32_t size) {
  record("onConfigurationUpdate",
         {{"requestId", id(requestId)}, {"fileName", text(fileName)}, {"size", size}});
}
void JsonCallbacks::onStartRecording(CallId callId, const std::string& t) {
  record("onStartRecording", {{"callId", id(callId)}, {"text", text(t)}});
}
void JsonCallbacks::onStopRecording(CallId callId) {
  record("onStopRecording", {{"callId", id(callId)}});
}
void JsonCallbacks::onRecordingStarted(CallId callId, bool flag) {
  record("onRecordingStarted", {{"callId", id(callId)}, {"flag", flag}});
}
void JsonCallbacks::onRecordingSuspended(CallId callId) {
  record("onRecordingSuspended", {{"callId", id(callId)}});
}
void JsonCallbacks::onRecordingResumed(CallId callId) {
  record("onRecordingResumed", {{"callId", id(callId)}});
}
void JsonCallbacks::onRecordingStopped(CallId callId, bool flag) {
  record("onRecordingStopped", {{"callId", id(callId)}, {"flag", flag}});
}
void JsonCallbacks::onPlayStream(CallId callId, const std::string& t) {
  record("onPlayStream", {{"callId", id(callId)}, {"text", text(t)}});
}
void JsonCallbacks::onStreamPlayed(CallId callId) {
  record("onStreamPlayed", {{"callId", id(callId)}});
}
void JsonCallbacks::onStopStream(CallId callId, bool flag) {
  record("onStopStream", {{"callId", id(callId)}, {"flag", flag}});
}
void JsonCallbacks::onRequestFailed(CallId requestId, int32_t code, const std::string& t) {
  record("onRequestFailed", {{"id", id(requestId)}, {"code", code}, {"text", text(t)}});
}

}  // namespace telvane::tools
