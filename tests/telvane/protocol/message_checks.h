#pragma once
// GoogleTest shortcuts for the protocol tests: writing and reading messages through the
// catalogue, and callbacks that log each delivery as one line.

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>
#include <utility>
#include <vector>

#include "telvane/protocol/method_factory.h"
#include "telvane/protocol/session_callbacks.h"
#include "telvane/xmlrpc/method_table.h"
#include "tests/telvane/protocol/wire_texts.h"

namespace telvane::protocol_testing {

// A party parsed from text; the text must parse.
inline PartyAddress party(std::string_view text) {
  PartyAddress p;
  EXPECT_TRUE(parseParty(text, p)) << text;
  return p;
}

// The message's text; empty when it refuses to write.
inline std::string wire(const XmlRpcMethod& message) {
  std::string out;
  if (!message.serialize(out)) return {};
  return out;
}

inline ParsedCall parseCall(std::string_view text) {
  return parsePbxMethodCall(unframed(text));
}

inline bool rejected(std::string_view text) {
  return parseCall(text).kind == ParsedCall::Kind::kUnknown;
}

// The request parsed from `text` by the catalogue, of class T; null (with a failure) otherwise.
template <class T>
std::unique_ptr<T> parseAs(std::string_view text) {
  ParsedCall parsed = parseCall(text);
  EXPECT_EQ(parsed.kind, ParsedCall::Kind::kCall) << text;
  if (parsed.kind != ParsedCall::Kind::kCall) return nullptr;
  T* typed = dynamic_cast<T*>(parsed.method.get());
  EXPECT_NE(typed, nullptr) << text;
  if (typed == nullptr) return nullptr;
  parsed.method.release();
  return std::unique_ptr<T>(typed);
}

// The answer to `request` read from `text`, of class T; null when it is not one.
template <class T>
std::unique_ptr<T> responseAs(const XmlRpcRequestMethod& request, std::string_view text) {
  std::unique_ptr<XmlRpcResponseMethod> response = request.parseResponse(unframed(text));
  T* typed = dynamic_cast<T*>(response.get());
  if (typed == nullptr) return nullptr;
  response.release();
  return std::unique_ptr<T>(typed);
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
    for (const PartyAddress& t : targets) {
      list += '[';
      list += partyLog(t);
      list += ']';
    }
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

using Log = std::vector<std::string>;

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

// Checks that `sent` writes `text` and that the catalogue reads `text` back as a message of the
// same class and type that delivers `delivers`. What was read; null when it did not read.
inline std::unique_ptr<XmlRpcRequestMethod> expectReadBack(const XmlRpcRequestMethod& sent,
                                                           const std::string& text,
                                                           const Log& delivers) {
  EXPECT_EQ(wire(sent), text);
  ParsedCall parsed = parseCall(text);
  EXPECT_EQ(parsed.kind, ParsedCall::Kind::kCall);
  if (parsed.method == nullptr) return nullptr;
  const XmlRpcRequestMethod& got = *parsed.method;  // no call inside typeid (clang warns)
  EXPECT_EQ(got.type(), sent.type());
  EXPECT_EQ(typeid(got), typeid(sent));
  EXPECT_EQ(delivered(*parsed.method), delivers);
  return std::move(parsed.method);
}

// The text of the reply the session sends by itself to `request`; empty when it writes nothing.
inline std::string automaticReply(const XmlRpcRequestMethod& request) {
  std::unique_ptr<XmlRpcResponseMethod> reply = request.createResponse(false);
  if (reply == nullptr) return {};
  reply->setId(request.idNumber());
  return wire(*reply);
}

}  // namespace telvane::protocol_testing
