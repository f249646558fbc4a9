#pragma once
// The receiving side of every parsed PBX message: each message's dispatch() calls exactly one of
// these operations with the values it carried. The session implements it; tools and tests derive
// from NullSessionCallbacks and override only what they watch.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "telvane/protocol/records.h"
#include "telvane/xmlrpc/call_id.h"
#include "telvane/xmlrpc/party_address.h"

namespace telvane {

class SessionCallbacks {
 public:
  virtual ~SessionCallbacks() = default;

  // Login and extension lookup.
  virtual void onAuthenticate(const std::string& user, const std::string& password) = 0;
  virtual void onSAuthenticate(const std::string& user, const std::string& timestamp,
                               const std::string& authenticator) = 0;
  virtual void onGetExtension(const std::string& user) = 0;
  virtual void onGetExtensionResponse(bool found, const std::string& extension) = 0;
  virtual void onIncomingCallHandling(const std::string& extension, bool handle) = 0;
  virtual void onNotifyCallEstablishment(bool flag) = 0;

  // Offered and established calls, and the decisions about them.
  virtual void onCallArrived(CallId callId, const PartyAddress& from, const PartyAddress& to,
                             CallId origCallId, const std::string& extension) = 0;
  virtual void onCallEstablished(CallId callId, int32_t kindCode, const PartyAddress& party,
                                 const std::vector<std::string>& texts) = 0;
  virtual void onCallArrivedAccept(CallId callId, const std::string& callerId,
                                   const std::string& displayName, bool remoteControl) = 0;
  virtual void onCallOriginatedAccept(CallId callId, CallId subscriptionId) = 0;
  virtual void onCallArrivedForward(CallId callId, const std::vector<PartyAddress>& targets,
                                    const std::string& callerId,
                                    const std::string& displayName) = 0;
  virtual void onCallReject(CallId callId) = 0;

  // Call control requests, as a PBX would receive them.
  virtual void onCreateCall(CallId callId, const std::string& caller, const PartyAddress& callee,
                            const std::string& displayName, const std::string& userName,
                            int32_t number) = 0;
  virtual void onCloseCall(CallId callId) = 0;
  virtual void onTransferCall(CallId callId, const PartyAddress& target) = 0;
  virtual void onJoinCalls(CallId callId, CallId otherCallId) = 0;
  virtual void onUnjoinCalls(CallId callId, CallId otherCallId) = 0;
  virtual void onPlayMessage(CallId callId, const std::string& fileName, int32_t count) = 0;
  virtual void onInjectDTMF(CallId callId, const std::string& digits) = 0;
  virtual void onEnableDtmfDetection(CallId callId, bool enable) = 0;

  // Call event notifications.
  virtual void onCallStateChanged(CallId callId, int32_t state, int32_t errorCode) = 0;
  virtual void onMessagePlayed(CallId callId) = 0;
  virtual void onDTMFInjected(CallId callId) = 0;
  virtual void onDtmfDigitDetected(CallId callId, char digit) = 0;

  // Subscriptions and their notifications.
  virtual void onSubscribe(CallId subscriptionId, int32_t kind, const std::string& extension) = 0;
  virtual void onUnsubscribe(CallId subscriptionId, int32_t unused) = 0;
  virtual void onSubscribeResponse(CallId subscriptionId, bool confirmed, int32_t errorCode) = 0;
  virtual void onMailArrived(const MailRecord& mail) = 0;
  virtual void onCdrArrived(CallId subscriptionId, int32_t fileType, const CdrRecord& record,
                            const std::optional<CdrStatistics>& statistics) = 0;
  virtual void onDlgArrived(CallId subscriptionId, const std::vector<DialogRecord>& dialogs) = 0;
  virtual void onPrsArrived(CallId subscriptionId, bool doNotDisturb) = 0;
  virtual void onExtListArrived(CallId subscriptionId,
                                const std::vector<ExtensionRecord>& extensions) = 0;
  virtual void onCallOriginated(CallId callId, const std::string& extension,
                                const PartyAddress& from, const PartyAddress& to,
                                const std::string& pattern) = 0;
  virtual void onRecordingCallStarted(CallId callId, const PartyAddress& first,
                                      const PartyAddress& second) = 0;
  virtual void onRecordingCallClosed(CallId callId) = 0;

  // System service requests, as a PBX would receive them.
  virtual void onGetSystemInfo(CallId requestId) = 0;
  virtual void onGetFilesList(CallId requestId, const std::string& extension) = 0;
  virtual void onDeleteFile(CallId requestId, const std::string& extension,
                            const std::string& fileName) = 0;
  virtual void onBeginFileTransfer(CallId requestId, const std::string& extension,
                                   const std::string& fileName, int32_t size) = 0;
  virtual void onConfigurationUpdate(CallId requestId, const std::string& fileName,
                                     int32_t size) = 0;

  // Recording and stream methods.
  virtual void onStartRecording(CallId callId, const std::string& text) = 0;
  virtual void onStopRecording(CallId callId) = 0;
  virtual void onRecordingStarted(CallId callId, bool flag) = 0;
  virtual void onRecordingSuspended(CallId callId) = 0;
  virtual void onRecordingResumed(CallId callId) = 0;
  virtual void onRecordingStopped(CallId callId, bool flag) = 0;
  virtual void onPlayStream(CallId callId, const std::string& text) = 0;
  virtual void onStreamPlayed(CallId callId) = 0;
  virtual void onStopStream(CallId callId, bool flag) = 0;

  // A fault answer, or a request the session itself gave up on.
  virtual void onRequestFailed(CallId id, int32_t code, const std::string& text) = 0;
};

// Every operation does nothing.
class NullSessionCallbacks : public SessionCallbacks {
 public:
  void onAuthenticate(const std::string&, const std::string&) override {}
  void onSAuthenticate(const std::string&, const std::string&, const std::string&) override {}
  void onGetExtension(const std::string&) override {}
  void onGetExtensionResponse(bool, const std::string&) override {}
  void onIncomingCallHandling(const std::string&, bool) override {}
  void onNotifyCallEstablishment(bool) override {}
  void onCallArrived(CallId, const PartyAddress&, const PartyAddress&, CallId,
                     const std::string&) override {}
  void onCallEstablished(CallId, int32_t, const PartyAddress&,
                         const std::vector<std::string>&) override {}
  void onCallArrivedAccept(CallId, const std::string&, const std::string&, bool) override {}
  void onCallOriginatedAccept(CallId, CallId) override {}
  void onCallArrivedForward(CallId, const std::vector<PartyAddress>&, const std::string&,
                            const std::string&) override {}
  void onCallReject(CallId) override {}
  void onCreateCall(CallId, const std::string&, const PartyAddress&, const std::string&,
                    const std::string&, int32_t) override {}
  void onCloseCall(CallId) override {}
  void onTransferCall(CallId, const PartyAddress&) override {}
  void onJoinCalls(CallId, CallId) override {}
  void onUnjoinCalls(CallId, CallId) override {}
  void onPlayMessage(CallId, const std::string&, int32_t) override {}
  void onInjectDTMF(CallId, const std::string&) override {}
  void onEnableDtmfDetection(CallId, bool) override {}
  void onCallStateChanged(CallId, int32_t, int32_t) override {}
  void onMessagePlayed(CallId) override {}
  void onDTMFInjected(CallId) override {}
  void onDtmfDigitDetected(CallId, char) override {}
  void onSubscribe(CallId, int32_t, const std::string&) override {}
  void onUnsubscribe(CallId, int32_t) override {}
  void onSubscribeResponse(CallId, bool, int32_t) override {}
  void onMailArrived(const MailRecord&) override {}
  void onCdrArrived(CallId, int32_t, const CdrRecord&,
                    const std::optional<CdrStatistics>&) override {}
  void onDlgArrived(CallId, const std::vector<DialogRecord>&) override {}
  void onPrsArrived(CallId, bool) override {}
  void onExtListArrived(CallId, const std::vector<ExtensionRecord>&) override {}
  void onCallOriginated(CallId, const std::string&, const PartyAddress&, const PartyAddress&,
                        const std::string&) override {}
  void onRecordingCallStarted(CallId, const PartyAddress&, const PartyAddress&) override {}
  void onRecordingCallClosed(CallId) override {}
  void onGetSystemInfo(CallId) override {}
  void onGetFilesList(CallId, const std::string&) override {}
  void onDeleteFile(CallId, const std::string&, const std::string&) override {}
  void onBeginFileTransfer(CallId, const std::string&, const std::string&, int32_t) override {}
  void onConfigurationUpdate(CallId, const std::string&, int32_t) override {}
  void onStartRecording(CallId, const std::string&) override {}
  void onStopRecording(CallId) override {}
  void onRecordingStarted(CallId, bool) override {}
  void onRecordingSuspended(CallId) override {}
  void onRecordingResumed(CallId) override {}
  void onRecordingStopped(CallId, bool) override {}
  void onPlayStream(CallId, const std::string&) override {}
  void onStreamPlayed(CallId) override {}
  void onStopStream(CallId, bool) override {}
  void onRequestFailed(CallId, int32_t, const std::string&) override {}
};

}  // namespace telvane
