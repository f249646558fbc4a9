#pragma once
// SessionCallbacks for the fuzz targets: every operation reads every value it is handed (so the
// sanitizers see a value that dangles or was never set) and counts the calls.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "telvane/protocol/session_callbacks.h"

namespace telvane::fuzz {

class RecordingCallbacks : public SessionCallbacks {
 public:
  int calls = 0;
  std::uint64_t digest = 0;

  void onAuthenticate(const std::string& a, const std::string& b) override { note(a, b); }
  void onSAuthenticate(const std::string& a, const std::string& b, const std::string& c) override {
    note(a, b, c);
  }
  void onGetExtension(const std::string& a) override { note(a); }
  void onGetExtensionResponse(bool f, const std::string& a) override { note(f, a); }
  void onIncomingCallHandling(const std::string& a, bool f) override { note(a, f); }
  void onNotifyCallEstablishment(bool f) override { note(f); }
  void onCallArrived(CallId id, const PartyAddress& from, const PartyAddress& to, CallId orig,
                     const std::string& ext) override {
    note(id, from, to, orig, ext);
  }
  void onCallEstablished(CallId id, int32_t kind, const PartyAddress& party,
                         const std::vector<std::string>& texts) override {
    note(id, kind, party, texts);
  }
  void onCallArrivedAccept(CallId id, const std::string& a, const std::string& b, bool f) override {
    note(id, a, b, f);
  }
  void onCallOriginatedAccept(CallId id, CallId other) override { note(id, other); }
  void onCallArrivedForward(CallId id, const std::vector<PartyAddress>& targets,
                            const std::string& a, const std::string& b) override {
    note(id, targets, a, b);
  }
  void onCallReject(CallId id) override { note(id); }
  void onCreateCall(CallId id, const std::string& caller, const PartyAddress& callee,
                    const std::string& a, const std::string& b, int32_t n) override {
    note(id, caller, callee, a, b, n);
  }
  void onCloseCall(CallId id) override { note(id); }
  void onTransferCall(CallId id, const PartyAddress& target) override { note(id, target); }
  void onJoinCalls(CallId id, CallId other) override { note(id, other); }
  void onUnjoinCalls(CallId id, CallId other) override { note(id, other); }
  void onPlayMessage(CallId id, const std::string& a, int32_t n) override { note(id, a, n); }
  void onInjectDTMF(CallId id, const std::string& a) override { note(id, a); }
  void onEnableDtmfDetection(CallId id, bool f) override { note(id, f); }
  void onCallStateChanged(CallId id, int32_t a, int32_t b) override { note(id, a, b); }
  void onMessagePlayed(CallId id) override { note(id); }
  void onDTMFInjected(CallId id) override { note(id); }
  void onDtmfDigitDetected(CallId id, char digit) override { note(id, digit); }
  void onSubscribe(CallId id, int32_t kind, const std::string& ext) override {
    note(id, kind, ext);
  }
  void onUnsubscribe(CallId id, int32_t n) override { note(id, n); }
  void onSubscribeResponse(CallId id, bool f, int32_t n) override { note(id, f, n); }
  void onMailArrived(const MailRecord& m) override {
    note(m.subscriptionId, m.from, m.time, m.duration, m.mailId);
  }
  void onCdrArrived(CallId id, int32_t fileType, const CdrRecord& r,
                    const std::optional<CdrStatistics>& s) override {
    note(id, fileType, r.from, r.to, r.startTime, r.duration, r.callGuid, r.details,
         r.authenticatedBy, r.callerIdRestricted);
    if (s) record(s->rtpTxPackets, s->rtpTxCodec, s->rtpRxCodec, s->faxRxDuplicatePackets);
  }
  void onDlgArrived(CallId id, const std::vector<DialogRecord>& dialogs) override {
    note(id);
    for (const DialogRecord& d : dialogs) {
      record(d.callId, d.local, d.remote, d.referredBy, d.callType, d.direction, d.dialogState,
             d.stateEvent, d.duration, d.replacedCallId, d.callState);
    }
  }
  void onPrsArrived(CallId id, bool f) override { note(id, f); }
  void onExtListArrived(CallId id, const std::vector<ExtensionRecord>& list) override {
    note(id);
    for (const ExtensionRecord& e : list) {
      record(e.extension, e.displayName, e.sipAddress, e.type, e.line);
    }
  }
  void onCallOriginated(CallId id, const std::string& ext, const PartyAddress& from,
                        const PartyAddress& to, const std::string& pattern) override {
    note(id, ext, from, to, pattern);
  }
  void onRecordingCallStarted(CallId id, const PartyAddress& a, const PartyAddress& b) override {
    note(id, a, b);
  }
  void onRecordingCallClosed(CallId id) override { note(id); }
  void onGetSystemInfo(CallId id) override { note(id); }
  void onGetFilesList(CallId id, const std::string& ext) override { note(id, ext); }
  void onDeleteFile(CallId id, const std::string& a, const std::string& b) override {
    note(id, a, b);
  }
  void onBeginFileTransfer(CallId id, const std::string& a, const std::string& b,
                           int32_t n) override {
    note(id, a, b, n);
  }
  void onConfigurationUpdate(CallId id, const std::string& a, int32_t n) override {
    note(id, a, n);
  }
  void onStartRecording(CallId id, const std::string& a) override { note(id, a); }
  void onStopRecording(CallId id) override { note(id); }
  void onRecordingStarted(CallId id, bool f) override { note(id, f); }
  void onRecordingSuspended(CallId id) override { note(id); }
  void onRecordingResumed(CallId id) override { note(id); }
  void onRecordingStopped(CallId id, bool f) override { note(id, f); }
  void onPlayStream(CallId id, const std::string& a) override { note(id, a); }
  void onStreamPlayed(CallId id) override { note(id); }
  void onStopStream(CallId id, bool f) override { note(id, f); }
  void onRequestFailed(CallId id, int32_t code, const std::string& text) override {
    note(id, code, text);
  }

 private:
  // One operation; record() adds more values to it.
  template <class... Values>
  void note(const Values&... values) {
    ++calls;
    record(values...);
  }
  template <class... Values>
  void record(const Values&... values) {
    (mix(values), ...);
  }
  void mix(std::uint64_t n) { digest = digest * 1099511628211u + n; }
  void mix(const std::string& s) {
    for (char c : s) mix(static_cast<std::uint8_t>(c));
  }
  void mix(const PartyAddress& p) {
    mix(static_cast<std::uint32_t>(p.kind));
    mix(p.value), mix(p.suffix), mix(p.displayName), mix(p.host), mix(p.port);
  }
  void mix(const NameAddress& a) { mix(a.displayName), mix(a.user), mix(a.host), mix(a.port); }
  template <class T>
  void mix(const std::vector<T>& items) {
    for (const T& item : items) mix(item);
  }
};

}  // namespace telvane::fuzz
