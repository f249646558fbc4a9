#pragma once
// Call control requests: the methods with which the control acts on calls ("createcall",
// "closecall", ...). Each class writes and reads its params through its table, so a peer (a PBX
// simulator, a test) reads what the control writes and the other way round. The control only
// receives "notifycallestablishment"; it only sends the others.
//
// Setters fill every slot of a call at once and return false when a value cannot be written
// (a party that does not build). dispatch hands the values to one SessionCallbacks operation;
// a request whose party text does not parse delivers nothing.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "telvane/xmlrpc/call_id.h"
#include "telvane/xmlrpc/method_table.h"
#include "telvane/xmlrpc/party_address.h"
#include "telvane/xmlrpc/xmlrpc_method.h"

namespace telvane {

// Shapes shared by many call methods: the call ID alone; the call ID and one text; the call ID
// and an optional boolean. Subclasses give the type and the dispatch.
class CallIdRequest : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {{"id", kXmlRpcString, ParamPresence::kMandatory, true}};
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void setCallId(CallId callId);

 protected:
  explicit CallIdRequest(int type) : XmlRpcRequestMethod(type) {}
};

class CallTextRequest : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {
      {"id", kXmlRpcString, ParamPresence::kMandatory, true},
      {"text", kXmlRpcString, ParamPresence::kMandatory, false}};
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void set(CallId callId, std::string_view text);
  std::string_view text() const { return stringParam(1); }

 protected:
  explicit CallTextRequest(int type) : XmlRpcRequestMethod(type) {}
};

// The flag is written only when set; dispatch of the subclasses delivers nothing without it.
class CallFlagRequest : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {
      {"id", kXmlRpcString, ParamPresence::kMandatory, true},
      {"flag", kXmlRpcBoolean, ParamPresence::kOptional, false}};
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void set(CallId callId, std::optional<bool> flag);
  bool hasFlag() const { return param(1) != nullptr; }
  bool flag() const { return boolParam(1); }

 protected:
  explicit CallFlagRequest(int type) : XmlRpcRequestMethod(type) {}
};

// "createcall": id, caller (as given), callee party text, display name, user name, number.
class CreateCallMethod : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {
      {"id", kXmlRpcString, ParamPresence::kMandatory, true},
      {"caller", kXmlRpcString, ParamPresence::kMandatory, false},
      {"callee", kXmlRpcString, ParamPresence::kMandatory, false},
      {"displayName", kXmlRpcString, ParamPresence::kOptional, false},
      {"userName", kXmlRpcString, ParamPresence::kOptional, false},
      {"number", kXmlRpcInt, ParamPresence::kOptional, false}};

  CreateCallMethod() : XmlRpcRequestMethod(kCreateCall) {}
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void dispatch(SessionCallbacks& callbacks) override;

  // Empty display and user names and an unset number are left out. False (callee unset) when
  // the callee does not build.
  bool setCall(CallId callId, std::string_view caller, const PartyAddress& callee,
               std::string_view displayName = {}, std::string_view userName = {},
               std::optional<int32_t> number = std::nullopt);
};

// "closecall": the call to close.
class CloseCallMethod : public CallIdRequest {
 public:
  CloseCallMethod() : CallIdRequest(kCloseCall) {}
  void dispatch(SessionCallbacks& callbacks) override;
};

// "transfercall": the call and the target party text.
class TransferCallMethod : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {
      {"id", kXmlRpcString, ParamPresence::kMandatory, true},
      {"target", kXmlRpcString, ParamPresence::kMandatory, false}};

  TransferCallMethod() : XmlRpcRequestMethod(kTransferCall) {}
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void dispatch(SessionCallbacks& callbacks) override;

  // False (target unset) when the target does not build.
  bool setTransfer(CallId callId, const PartyAddress& target);
};

// "joincalls" and "unjoincalls": the first call and the other call as a decimal ID.
class CallPairRequest : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {
      {"id", kXmlRpcString, ParamPresence::kMandatory, true},
      {"otherCallId", kXmlRpcString, ParamPresence::kMandatory, false}};
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void setCalls(CallId callId, CallId otherCallId);
  CallId otherCallId() const { return parseId(stringParam(1)); }

 protected:
  explicit CallPairRequest(int type) : XmlRpcRequestMethod(type) {}
};

class JoinCallsMethod : public CallPairRequest {
 public:
  JoinCallsMethod() : CallPairRequest(kJoinCalls) {}
  void dispatch(SessionCallbacks& callbacks) override;
};

class UnjoinCallsMethod : public CallPairRequest {
 public:
  UnjoinCallsMethod() : CallPairRequest(kUnjoinCalls) {}
  void dispatch(SessionCallbacks& callbacks) override;
};

// "playmessage": the call, the prompt file and the play count (-1 delivered when absent).
class PlayMessageMethod : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {
      {"id", kXmlRpcString, ParamPresence::kMandatory, true},
      {"fileName", kXmlRpcString, ParamPresence::kMandatory, false},
      {"count", kXmlRpcInt, ParamPresence::kOptional, false}};

  PlayMessageMethod() : XmlRpcRequestMethod(kPlayMessage) {}
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void dispatch(SessionCallbacks& callbacks) override;

  void setPlay(CallId callId, std::string_view fileName, int32_t count);
};

// "injectdtmf": the call and the digits to send.
class InjectDTMFMethod : public CallTextRequest {
 public:
  InjectDTMFMethod() : CallTextRequest(kInjectDtmf) {}
  void dispatch(SessionCallbacks& callbacks) override;
};

// "enabledtmfdetection": the call and whether detection is on.
class EnableDtmfDetectionMethod : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {
      {"id", kXmlRpcString, ParamPresence::kMandatory, true},
      {"enable", kXmlRpcBoolean, ParamPresence::kMandatory, false}};

  EnableDtmfDetectionMethod() : XmlRpcRequestMethod(kEnableDtmfDetection) {}
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void dispatch(SessionCallbacks& callbacks) override;

  // Detection is on exactly when `enable` is 1.
  void setDetection(CallId callId, int32_t enable);
};

// "incomingcallhandling": the extension and whether the control handles its incoming calls.
// Carries no call ID.
class IncomingCallHandlingMethod : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {
      {"extension", kXmlRpcString, ParamPresence::kMandatory, false},
      {"handle", kXmlRpcBoolean, ParamPresence::kMandatory, false}};

  IncomingCallHandlingMethod() : XmlRpcRequestMethod(kIncomingCallHandling) {}
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void dispatch(SessionCallbacks& callbacks) override;

  // Handling is on exactly when `handle` is 1.
  void setHandling(std::string_view extension, int32_t handle);
};

// "notifycallestablishment", PBX to control: one flag, no call ID.
class NotifyCallEstablishmentMethod : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {
      {"flag", kXmlRpcBoolean, ParamPresence::kMandatory, false}};

  NotifyCallEstablishmentMethod() : XmlRpcRequestMethod(kNotifyCallEstablishment) {}
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void dispatch(SessionCallbacks& callbacks) override;

  // The flag is true exactly when `flag` is 1.
  void setFlag(int32_t flag);
};

}  // namespace telvane
