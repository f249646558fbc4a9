#pragma once
// A SessionCallbacks that writes down, as JSON, the one operation a dispatch calls and its
// arguments: IDs as decimal text, parties as their rebuilt texts, records as objects, lists as
// arrays.

#include <string>

#include "telvane/protocol/session_callbacks.h"
#include "tools/wire/wire_json.h"

namespace telvane::tools {

class JsonCallbacks : public SessionCallbacks {
 public:
  // {"callback":"onX","args":{...}} for the last operation called, {"callback":null} if none.
  Json result() const;

  void onAuthenticate(const std::string& user, const std::string& password) override;
  void onSAuthenticate(const std::string& user, const std::string& timestamp,
                       const std::string& authenticator) override;
  void onGetExtension(const std::string& user) override;
  void onGetExtensionResponse(bool found, const std::string& extension) override;
  void onIncomingCallHandling(const std::string& extension, bool handle) override;
  void onNotifyCallEstablishment(bool flag) override;
  void onCallArrived(CallId callId, const PartyAddress& from, const PartyAddress& to,
                     CallId origCallId, const std::string& extension) override;
  void onCallEstablished(CallId callId, int32_t kindCode, const PartyAddress& party,
                         const std::vector<std::string>& texts) override;
  void onCallArrivedAccept(CallId callId, const std::string& callerId,
                           const std::string& displayName, bool remoteControl) override;
  void onCallOriginatedAccept(CallId callId, CallId subscriptionId) override;
  void onCallArrivedForward(CallId callId, const std::vector<PartyAddress>& targets,
                            const std::string& callerId, const std::string& displayName) override;
  void onCallReject(CallId callId) override;
  void onCreateCall(CallId callId, const std::string& caller, const PartyAddress& callee,
                    const std::string& displayName, const std::string& userName,
                    int32_t number) override;
  void onCloseCall(CallId callId) override;
  void onTransferCall(CallId callId, const PartyAddress& target) override;
  void onJoinCalls(CallId callId, CallId otherCallId) override;
  void onUnjoinCalls(CallId callId, CallId otherCallId) override;
  void onPlayMessage(CallId callId, const std::string& fileName, int32_t count) override;
  void onInjectDTMF(CallId callId, const std::string& digits) override;
  void onEnableDtmfDetection(CallId callId, bool enable) override;
  void onCallStateChanged(CallId callId, int32_t state, int32_t errorCode) override;
  void onMessagePlayed(CallId callId) override;
  void onDTMFInjected(CallId callId) override;
  void onDtmfDigitDetected(CallId callId, char digit) override;
  void onSubscribe(CallId subscriptionId, int32_t kind, const std::string& extension) override;
  void onUnsubscribe(CallId subscriptionId, int32_t unused) override;
  void onSubscribeResponse(CallId subscriptionId, bool confirmed, int32_t errorCode) override;
  void onMailArrived(const MailRecord& mail) override;
  void onCdrArrived(CallId subscriptionId, int32_t fileType, const CdrRecord& record,
                    const std::optional<CdrStatistics>& statistics) override;
  void onDlgArrived(CallId subscriptionId, const std::vector<DialogRecord>& dialogs) override;
  void onPrsArrived(CallId subscriptionId, bool doNotDisturb) override;
  void onExtListArrived(CallId subscriptionId,
                        const std::vector<ExtensionRecord>& extensions) override;
  void onCallOriginated(CallId callId, const std::string& extension, const PartyAddress& from,
                        const PartyAddress& to, const std::string& pattern) override;
  void onRecordingCallStarted(CallId callId, const PartyAddress& first,
                              const PartyAddress& second) override;
  void onRecordingCallClosed(CallId callId) override;
  void onGetSystemInfo(CallId requestId) override;
  void onGetFilesList(CallId requestId, const std::string& extension) override;
  void onDeleteFile(CallId requestId, const std::string& extension,
                    const std::string& fileName) override;
  void onBeginFileTransfer(CallId requestId, const std::string& extension,
                           const std::string& fileName, int32_t size) override;
  void onConfigurationUpdate(CallId requestId, const std::string& fileName, int32_t size) override;
  void onStartRecording(CallId callId, const std::string& text) override;
  void onStopRecording(CallId callId) override;
  void onRecordingStarted(CallId callId, bool flag) override;
  void onRecordingSuspended(CallId callId) override;
  void onRecordingResumed(CallId callId) override;
  void onRecordingStopped(CallId callId, bool flag) override;
  void onPlayStream(CallId callId, const std::string& text) override;
  void onStreamPlayed(CallId callId) override;
  void onStopStream(CallId callId, bool flag) override;
  void onRequestFailed(CallId id, int32_t code, const std::string& text) override;

 private:
  void record(const char* callback, Json args);

  std::string callback_;
  Json args_ = Json::object();
};

}  // namespace telvane::tools
