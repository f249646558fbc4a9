#pragma once
// Call event notifications, PBX to control: state changes, prompt and DTMF reports, the offered
// call ("process") and the call request of a routing subscription ("calloriginated") with the
// control's decision replies, and the established call.
//
// The decision replies are written by the control as two params, the action struct and then the
// call ID. Read back (the PBX's side), they accept that form and also a single struct carrying
// the ID in its "CallID" member, so what the control writes reads back to the same decision.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "telvane/protocol/call_control.h"
#include "telvane/xmlrpc/call_id.h"
#include "telvane/xmlrpc/method_table.h"
#include "telvane/xmlrpc/party_address.h"
#include "telvane/xmlrpc/xmlrpc_method.h"

namespace telvane {

// "callstatechanged": the call, its new state and an optional error code (0 delivered when
// absent).
class CallStateChangedMethod : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {
      {"id", kXmlRpcString, ParamPresence::kMandatory, true},
      {"state", kXmlRpcInt, ParamPresence::kMandatory, false},
      {"errorCode", kXmlRpcInt, ParamPresence::kOptional, false}};

  CallStateChangedMethod() : XmlRpcRequestMethod(kCallStateChanged) {}
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void dispatch(SessionCallbacks& callbacks) override;

  void setState(CallId callId, int32_t state, std::optional<int32_t> errorCode = std::nullopt);
};

// "messageplayed": the call whose prompt ended.
class MessagePlayedMethod : public CallIdRequest {
 public:
  MessagePlayedMethod() : CallIdRequest(kMessagePlayed) {}
  void dispatch(SessionCallbacks& callbacks) override;
};

// "dtmfinjected": the call whose injected digits were sent.
class DTMFInjectedMethod : public CallIdRequest {
 public:
  DTMFInjectedMethod() : CallIdRequest(kDtmfInjected) {}
  void dispatch(SessionCallbacks& callbacks) override;
};

// "dtmfdigitdetected": the call and the digit as a character code; the low byte is delivered.
class DtmfDigitReceivedMethod : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {{"id", kXmlRpcString, ParamPresence::kMandatory, true},
                                          {"digit", kXmlRpcInt, ParamPresence::kMandatory, false}};

  DtmfDigitReceivedMethod() : XmlRpcRequestMethod(kDtmfDigitDetected) {}
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void dispatch(SessionCallbacks& callbacks) override;

  // Stores the low byte of `digit`, sign-extended.
  void setDigit(CallId callId, int32_t digit);
};

// "process": a call offered for handling. Param 1 is a struct with "From" and "To" (party
// texts), optional "OrigCallID" and "Ext"; param 2 the call ID. Nothing is delivered unless
// "From" and "To" are strings that parse. The session sends no automatic reply to it.
class CallArrivedMethod : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {{"call", kXmlRpcStruct, ParamPresence::kMandatory, false},
                                          {"id", kXmlRpcString, ParamPresence::kMandatory, true}};

  CallArrivedMethod() : XmlRpcRequestMethod(kProcess) {}
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void dispatch(SessionCallbacks& callbacks) override;
  // A CallArrivedResponseMethod, so the PBX's side reads the decision.
  std::unique_ptr<XmlRpcResponseMethod> createResponse(bool fault) const override;

  // "OrigCallID" is written when not 0, "Ext" when not empty. False (struct unset) when a party
  // does not build.
  bool setCall(CallId callId, const PartyAddress& from, const PartyAddress& to,
               CallId origCallId = 0, std::string_view extension = {});
};

// The control's decision on an offered call (type 14).
class CallArrivedResponseMethod : public XmlRpcResponseMethod {
 public:
  enum Decision : int32_t { kAccept = 0, kDecline = 1, kRedirect = 2 };

  CallArrivedResponseMethod() : XmlRpcResponseMethod(kProcess) {}

  // Each setter replaces the action struct. Empty caller IDs and display names are left out.
  void setAccept(CallId callId, std::string_view callerId, std::string_view displayName,
                 bool remoteControl);
  // "reason" is written only for a non-empty reason.
  void setDecline(CallId callId, std::string_view reason = {});
  // One party text per target that builds; "target" is left out when none does. False when no
  // target builds.
  bool setRedirect(CallId callId, std::span<const PartyAddress> targets, std::string_view callerId,
                   std::string_view displayName);
  bool setRedirect(CallId callId, const PartyAddress& target, std::string_view callerId,
                   std::string_view displayName) {
    return setRedirect(callId, std::span(&target, 1), callerId, displayName);
  }

  // Either form: the action struct with the ID in "CallID", or the struct then the ID string.
  bool parseParams(XMLNavigator& nav) override;
  // Accept: onCallArrivedAccept; decline: onCallReject; redirect: onCallArrivedForward with the
  // targets that parse (message-taker marker cut and flagged), or onCallArrivedAccept when none.
  void dispatch(SessionCallbacks& callbacks) override;

  Decision decision() const { return decision_; }
  const std::string& callerId() const { return callerId_; }
  const std::string& displayName() const { return displayName_; }
  bool remoteControl() const { return remoteControl_; }
  const std::string& declineReason() const { return declineReason_; }
  const std::vector<std::string>& targets() const { return targets_; }
  const XmlRpcValueStruct* action() const { return action_.get(); }

 protected:
  // The action struct, then the ID; false while either is unset.
  bool serializeResults(std::string& out) const override;

 private:
  Decision decision_ = kAccept;
  std::string callerId_;
  std::string displayName_;
  bool remoteControl_ = false;
  std::string declineReason_;
  std::vector<std::string> targets_;
  std::unique_ptr<XmlRpcValueStruct> action_;
};

// The redirect target text with the message-taker marker cut out (with the one separator
// before it); `found` tells whether it was there.
std::string cutMessageTakerMarker(std::string_view target, bool& found);

// "calloriginated": a call request from a routing subscription. Param 1 is a struct with "Ext",
// "From", "To" and "Pattern" (all strings, all needed); param 2 the call ID.
class CallOriginatedMethod : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {{"call", kXmlRpcStruct, ParamPresence::kMandatory, false},
                                          {"id", kXmlRpcString, ParamPresence::kMandatory, true}};

  CallOriginatedMethod() : XmlRpcRequestMethod(kCallOriginated) {}
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void dispatch(SessionCallbacks& callbacks) override;
  // A CallOriginatedResponseMethod without action, which writes nothing: the host answers.
  std::unique_ptr<XmlRpcResponseMethod> createResponse(bool fault) const override;

  // False (struct unset) when a party does not build.
  bool setCall(CallId callId, std::string_view extension, const PartyAddress& from,
               const PartyAddress& to, std::string_view pattern);
};

// The control's decision on a call request (type 29). Nothing is written until a setter has
// built the action struct.
class CallOriginatedResponseMethod : public XmlRpcResponseMethod {
 public:
  enum Decision : int32_t { kAccept = 0, kDecline = 1 };

  CallOriginatedResponseMethod() : XmlRpcResponseMethod(kCallOriginated) {}

  // False, leaving the struct unset, when `subscriptionId` is 0.
  bool setAccept(CallId callId, CallId subscriptionId);
  void setDecline(CallId callId);

  // Either form, as for CallArrivedResponseMethod.
  bool parseParams(XMLNavigator& nav) override;
  // onCallOriginatedAccept(id, subscription) or onCallReject(id).
  void dispatch(SessionCallbacks& callbacks) override;

  Decision decision() const { return decision_; }
  CallId subscriptionId() const { return parseId(subscriptionId_); }
  const XmlRpcValueStruct* action() const { return action_.get(); }

 protected:
  bool serializeResults(std::string& out) const override;

 private:
  Decision decision_ = kDecline;
  std::string subscriptionId_;
  std::unique_ptr<XmlRpcValueStruct> action_;
};

// "callestablished": the call, a party's kind code, the party text, optional further texts.
class CallEstablishedMethod : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {
      {"id", kXmlRpcString, ParamPresence::kMandatory, true},
      {"kind", kXmlRpcInt, ParamPresence::kMandatory, false},
      {"party", kXmlRpcString, ParamPresence::kMandatory, false},
      {"texts", kXmlRpcArray, ParamPresence::kOptional, false}};

  CallEstablishedMethod() : XmlRpcRequestMethod(kCallEstablished) {}
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void dispatch(SessionCallbacks& callbacks) override;

  // The party is written with the prefix of `kindCode`; the array only when `texts` is not
  // empty. False (party unset) when the party does not build.
  bool setEstablished(CallId callId, int32_t kindCode, const PartyAddress& party,
                      std::span<const std::string> texts = {});
};

}  // namespace telvane
