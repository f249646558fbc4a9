#pragma once
// Helpers for the call group's message tests: wire texts from param blocks, parsing through the
// catalogue, and callbacks that log each delivery as one line.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "telvane/protocol/method_factory.h"
#include "telvane/protocol/session_callbacks.h"

namespace telvane::testing {

// A party parsed from text; the text must parse.
inline PartyAddress party(std::string_view text) {
  PartyAddress p;
  EXPECT_TRUE(parseParty(text, p)) << text;
  return p;
}

inline std::string str(std::string_view text) {
  return "<value><string>" + std::string(text) + "</string></value>";
}
inline std::string num(int value) {
  return "<value><int>" + std::to_string(value) + "</int></value>";
}
inline std::string flag(bool value) {
  return std::string("<value><boolean>") + (value ? "1" : "0") + "</boolean></value>";
}
inline std::string member(std::string_view name, const std::string& value) {
  return "\r\n<member>\r\n<name>" + std::string(name) + "</name>\r\n" + value + "\r\n</member>";
}
inline std::string structOf(std::initializer_list<std::string> members) {
  std::string out = "<value><struct>";
  for (const std::string& m : members) out += m;
  return out + "\r\n</struct></value>";
}
inline std::string arrayOf(std::initializer_list<std::string> items) {
  std::string out = "<value><array><data>\r\n";
  for (const std::string& item : items) out += item + "\r\n";
  return out + "</data></array></value>";
}

inline std::string paramBlocks(std::initializer_list<std::string> values) {
  std::string out;
  for (const std::string& v : values) out += "<param>\r\n" + v + "\r\n</param>\r\n";
  return out;
}

// The complete text of a call to "Services.CallProcessingService." + `method`.
inline std::string callText(std::string_view method, std::initializer_list<std::string> values) {
  return "<?xml version=\"1.0\"?>\r\n<methodCall>\r\n<methodName>Services.CallProcessingService." +
         std::string(method) + "</methodName>\r\n<params>\r\n" + paramBlocks(values) +
         "</params>\r\n</methodCall>\r\n\r\n";
}

inline std::string responseText(std::initializer_list<std::string> values) {
  return "<?xml version=\"1.0\"?>\r\n<methodResponse>\r\n<params>\r\n" + paramBlocks(values) +
         "</params>\r\n</methodResponse>\r\n\r\n";
}

// The message's text; empty when it refuses to write.
inline std::string wire(const XmlRpcMethod& message) {
  std::string out;
  if (!message.serialize(out)) return {};
  return out;
}

// Without the terminator, as the receive loop hands it over.
inline std::string_view unframed(std::string_view text) {
  return text.ends_with("\r\n\r\n") ? text.substr(0, text.size() - 4) : text;
}

inline ParsedCall parseCall(std::string_view text) {
  return parsePbxMethodCall(unframed(text));
}

inline std::string partyLog(const PartyAddress& party) {
  return (party.isMessageTaker() ? "[taker]" : "") + partyText(party);
}

// Each delivery as "name(arg,arg,...)".
class LoggingCallbacks : public NullSessionCallbacks {
 public:
  std::vector<std::string> log;

  void onIncomingCallHandling(const std::string& e, bool h) override {
    add("onIncomingCallHandling", {e, b(h)});
  }
  void onNotifyCallEstablishment(bool f) override { add("onNotifyCallEstablishment", {b(f)}); }
  void onCallArrived(CallId id, const PartyAddress& from, const PartyAddress& to, CallId orig,
                     const std::string& ext) override {
    add("onCallArrived", {i(id), partyLog(from), partyLog(to), i(orig), ext});
  }
  void onCallEstablished(CallId id, int32_t kind, const PartyAddress& p,
                         const std::vector<std::string>& texts) override {
    std::string list;
    for (const std::string& t : texts) list += "[" + t + "]";
    add("onCallEstablished", {i(id), std::to_string(kind), partyLog(p), list});
  }
  void onCallArrivedAccept(CallId id, const std::string& c, const std::string& d, bool r) override {
    add("onCallArrivedAccept", {i(id), c, d, b(r)});
  }
  void onCallOriginatedAccept(CallId id, CallId sub) override {
    add("onCallOriginatedAccept", {i(id), i(sub)});
  }
  void onCallArrivedForward(CallId id, const std::vector<PartyAddress>& targets,
                            const std::string& c, const std::string& d) override {
    std::string list;
    for (const PartyAddress& t : targets) list += "[" + partyLog(t) + "]";
    add("onCallArrivedForward", {i(id), list, c, d});
  }
  void onCallReject(CallId id) override { add("onCallReject", {i(id)}); }
  void onCreateCall(CallId id, const std::string& caller, const PartyAddress& callee,
                    const std::string& d, const std::string& u, int32_t n) override {
    add("onCreateCall", {i(id), caller, partyLog(callee), d, u, std::to_string(n)});
  }
  void onCloseCall(CallId id) override { add("onCloseCall", {i(id)}); }
  void onTransferCall(CallId id, const PartyAddress& t) override {
    add("onTransferCall", {i(id), partyLog(t)});
  }
  void onJoinCalls(CallId id, CallId other) override { add("onJoinCalls", {i(id), i(other)}); }
  void onUnjoinCalls(CallId id, CallId other) override { add("onUnjoinCalls", {i(id), i(other)}); }
  void onPlayMessage(CallId id, const std::string& f, int32_t c) override {
    add("onPlayMessage", {i(id), f, std::to_string(c)});
  }
  void onInjectDTMF(CallId id, const std::string& d) override { add("onInjectDTMF", {i(id), d}); }
  void onEnableDtmfDetection(CallId id, bool e) override {
    add("onEnableDtmfDetection", {i(id), b(e)});
  }
  void onCallStateChanged(CallId id, int32_t s, int32_t e) override {
    add("onCallStateChanged", {i(id), std::to_string(s), std::to_string(e)});
  }
  void onMessagePlayed(CallId id) override { add("onMessagePlayed", {i(id)}); }
  void onDTMFInjected(CallId id) override { add("onDTMFInjected", {i(id)}); }
  void onDtmfDigitDetected(CallId id, char d) override {
    add("onDtmfDigitDetected", {i(id), std::to_string(static_cast<unsigned char>(d))});
  }
  void onCallOriginated(CallId id, const std::string& ext, const PartyAddress& from,
                        const PartyAddress& to, const std::string& pattern) override {
    add("onCallOriginated", {i(id), ext, partyLog(from), partyLog(to), pattern});
  }
  void onRecordingCallStarted(CallId id, const PartyAddress& a, const PartyAddress& c) override {
    add("onRecordingCallStarted", {i(id), partyLog(a), partyLog(c)});
  }
  void onRecordingCallClosed(CallId id) override { add("onRecordingCallClosed", {i(id)}); }
  void onStartRecording(CallId id, const std::string& t) override {
    add("onStartRecording", {i(id), t});
  }
  void onStopRecording(CallId id) override { add("onStopRecording", {i(id)}); }
  void onRecordingStarted(CallId id, bool f) override { add("onRecordingStarted", {i(id), b(f)}); }
  void onRecordingSuspended(CallId id) override { add("onRecordingSuspended", {i(id)}); }
  void onRecordingResumed(CallId id) override { add("onRecordingResumed", {i(id)}); }
  void onRecordingStopped(CallId id, bool f) override { add("onRecordingStopped", {i(id), b(f)}); }
  void onPlayStream(CallId id, const std::string& t) override { add("onPlayStream", {i(id), t}); }
  void onStreamPlayed(CallId id) override { add("onStreamPlayed", {i(id)}); }
  void onStopStream(CallId id, bool f) override { add("onStopStream", {i(id), b(f)}); }
  void onRequestFailed(CallId id, int32_t code, const std::string& text) override {
    add("onRequestFailed", {i(id), std::to_string(code), text});
  }

 private:
  static std::string i(CallId id) { return formatId(id); }
  static std::string b(bool f) { return f ? "true" : "false"; }
  void add(std::string_view name, std::initializer_list<std::string> args) {
    std::string line(name);
    line += "(";
    bool first = true;
    for (const std::string& a : args) {
      if (!first) line += ",";
      line += a;
      first = false;
    }
    log.push_back(line + ")");
  }
};

// What dispatch of `message` delivers, one line per callback.
inline std::vector<std::string> delivered(XmlRpcMethod& message) {
  LoggingCallbacks callbacks;
  message.dispatch(callbacks);
  return callbacks.log;
}

// Parses `text` as a call (it must be one) and dispatches it.
inline std::vector<std::string> deliveredFrom(std::string_view text) {
  ParsedCall call = parseCall(text);
  EXPECT_EQ(call.kind, ParsedCall::Kind::kCall) << text;
  if (call.method == nullptr) return {"<not parsed>"};
  return delivered(*call.method);
}

using Log = std::vector<std::string>;

}  // namespace telvane::testing
