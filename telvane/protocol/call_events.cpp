#include "telvane/protocol/call_events.h"

#include "telvane/protocol/session_callbacks.h"
#include "telvane/xml/xml_navigator.h"
#include "telvane/xmlrpc/ascii.h"

namespace telvane {

namespace {

constexpr std::string_view kMessageTakerMarker = "actor=\"msg-taker\"";

// The text of a string member, or null when absent or of another type.
const std::string* memberText(const XmlRpcValueStruct& record, std::string_view name) {
  const XmlRpcValueString* value = record.getString(name);
  return value == nullptr ? nullptr : &value->value();
}

std::string memberTextOr(const XmlRpcValueStruct& record, std::string_view name) {
  const std::string* text = memberText(record, name);
  return text == nullptr ? std::string() : *text;
}

// A party from a string member; false when absent, not a string or not a party.
bool memberParty(const XmlRpcValueStruct& record, std::string_view name, PartyAddress& party) {
  const std::string* text = memberText(record, name);
  return text != nullptr && parseParty(*text, party);
}

void appendText(XmlRpcValueStruct& record, std::string_view name, std::string_view text) {
  record.append(name, std::make_unique<XmlRpcValueString>(text));
}

void appendTextIfAny(XmlRpcValueStruct& record, std::string_view name, std::string_view text) {
  if (!text.empty()) appendText(record, name, text);
}

bool appendParty(XmlRpcValueStruct& record, std::string_view name, const PartyAddress& party) {
  std::string text;
  if (!buildParty(party, text)) return false;
  appendText(record, name, text);
  return true;
}

// The string elements of an array member, in order; others are passed over.
std::vector<std::string> arrayTexts(const XmlRpcValue* value) {
  std::vector<std::string> texts;
  if (value == nullptr || value->type() != kXmlRpcArray) return texts;
  for (const auto& item : static_cast<const XmlRpcValueArray*>(value)->items()) {
    if (item->type() == kXmlRpcString) {
      texts.push_back(static_cast<const XmlRpcValueString*>(item.get())->value());
    }
  }
  return texts;
}

// A decision reply: the struct param, then an optional ID string param, then nothing more.
bool readDecisionParams(XMLNavigator& nav, std::unique_ptr<XmlRpcValueStruct>& action,
                        std::unique_ptr<XmlRpcValueString>& id) {
  if (!expectElement(nav, "param")) return false;
  std::unique_ptr<XmlRpcValue> value = readValue(nav);
  if (value == nullptr || value->type() != kXmlRpcStruct || !value->parse(nav)) return false;
  action.reset(static_cast<XmlRpcValueStruct*>(value.release()));
  nav.skipElement();  // past "</value>"
  nav.skipElement();  // past "</param>"
  std::string_view tag;
  if (!nav.nextElementName(tag) || !equalsIgnoreCase(tag, "param")) return true;
  value = readValue(nav);
  if (value == nullptr || value->type() != kXmlRpcString || !value->parse(nav)) return false;
  id.reset(static_cast<XmlRpcValueString*>(value.release()));
  nav.skipElement();
  nav.skipElement();
  return !(nav.nextElementName(tag) && equalsIgnoreCase(tag, "param"));
}

// The "CallID" member wins; the control's own form carries the ID as the second param.
void takeDecisionId(const XmlRpcValueStruct& action, std::unique_ptr<XmlRpcValueString> idParam,
                    XmlRpcMethod& message) {
  if (const std::string* callId = memberText(action, "CallID")) {
    message.setIdText(*callId);
  } else {
    message.setIdValue(std::move(idParam));
  }
}

bool writeDecision(std::string& out, const XmlRpcValueStruct* action, const XmlRpcValueString* id) {
  return action != nullptr && id != nullptr && writeParam(out, *action) && writeParam(out, *id);
}

}  // namespace

// ---- callstatechanged, messageplayed, dtmfinjected, dtmfdigitdetected

void CallStateChangedMethod::setState(CallId callId, int32_t state,
                                      std::optional<int32_t> errorCode) {
  setIdText(formatId(callId));
  setInt(1, state);
  if (errorCode) {
    setInt(2, *errorCode);
  } else {
    setParam(2, nullptr);
  }
}

void CallStateChangedMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onCallStateChanged(idNumber(), intParam(1), intParam(2, 0));
}

void MessagePlayedMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onMessagePlayed(idNumber());
}

void DTMFInjectedMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onDTMFInjected(idNumber());
}

void DtmfDigitReceivedMethod::setDigit(CallId callId, int32_t digit) {
  setIdText(formatId(callId));
  setInt(1, static_cast<int8_t>(static_cast<uint8_t>(digit & 0xFF)));
}

void DtmfDigitReceivedMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onDtmfDigitDetected(idNumber(), static_cast<char>(intParam(1) & 0xFF));
}

// ---- process

bool CallArrivedMethod::setCall(CallId callId, const PartyAddress& from, const PartyAddress& to,
                                CallId origCallId, std::string_view extension) {
  setIdText(formatId(callId));
  auto call = std::make_unique<XmlRpcValueStruct>();
  if (!appendParty(*call, "From", from) || !appendParty(*call, "To", to)) {
    setParam(0, nullptr);
    return false;
  }
  if (origCallId != 0) appendText(*call, "OrigCallID", formatId(origCallId));
  appendTextIfAny(*call, "Ext", extension);
  setParam(0, std::move(call));
  return true;
}

void CallArrivedMethod::dispatch(SessionCallbacks& callbacks) {
  const XmlRpcValueStruct* call = structParam(0);
  if (call == nullptr) return;
  PartyAddress from;
  PartyAddress to;
  if (!memberParty(*call, "From", from) || !memberParty(*call, "To", to)) return;
  const std::string* origCallId = memberText(*call, "OrigCallID");
  callbacks.onCallArrived(idNumber(), from, to, origCallId == nullptr ? 0 : parseId(*origCallId),
                          memberTextOr(*call, "Ext"));
}

std::unique_ptr<XmlRpcResponseMethod> CallArrivedMethod::createResponse(bool fault) const {
  if (fault) return XmlRpcRequestMethod::createResponse(true);
  return std::make_unique<CallArrivedResponseMethod>();
}

// ---- the decision on "process"

void CallArrivedResponseMethod::setAccept(CallId callId, std::string_view callerId,
                                          std::string_view displayName, bool remoteControl) {
  setIdText(formatId(callId));
  decision_ = kAccept;
  callerId_.assign(callerId);
  displayName_.assign(displayName);
  remoteControl_ = remoteControl;
  declineReason_.clear();
  targets_.clear();
  action_ = std::make_unique<XmlRpcValueStruct>();
  appendText(*action_, "action", "accept");
  appendTextIfAny(*action_, "callerid", callerId);
  appendTextIfAny(*action_, "displayname", displayName);
  action_->append("remotecontrol", std::make_unique<XmlRpcValueBool>(remoteControl));
}

void CallArrivedResponseMethod::setDecline(CallId callId, std::string_view reason) {
  setIdText(formatId(callId));
  decision_ = kDecline;
  callerId_.clear();
  displayName_.clear();
  remoteControl_ = false;
  declineReason_.assign(reason);
  targets_.clear();
  action_ = std::make_unique<XmlRpcValueStruct>();
  appendText(*action_, "action", "decline");
  if (!reason.empty()) {
    auto reasons = std::make_unique<XmlRpcValueArray>();
    reasons->append(std::make_unique<XmlRpcValueString>(reason));
    action_->append("reason", std::move(reasons));
  }
}

bool CallArrivedResponseMethod::setRedirect(CallId callId, std::span<const PartyAddress> targets,
                                            std::string_view callerId,
                                            std::string_view displayName) {
  setIdText(formatId(callId));
  decision_ = kRedirect;
  callerId_.assign(callerId);
  displayName_.assign(displayName);
  remoteControl_ = false;
  declineReason_.clear();
  targets_.clear();
  std::string text;
  for (const PartyAddress& target : targets) {
    if (buildParty(target, text)) targets_.push_back(text);
  }
  action_ = std::make_unique<XmlRpcValueStruct>();
  appendText(*action_, "action", "redirect");
  if (!targets_.empty()) {
    auto list = std::make_unique<XmlRpcValueArray>();
    for (const std::string& target : targets_) {
      list->append(std::make_unique<XmlRpcValueString>(target));
    }
    action_->append("target", std::move(list));
  }
  appendTextIfAny(*action_, "callerid", callerId);
  appendTextIfAny(*action_, "displayname", displayName);
  return !targets_.empty();
}

bool CallArrivedResponseMethod::serializeResults(std::string& out) const {
  return writeDecision(out, action_.get(), id_.get());
}

bool CallArrivedResponseMethod::parseParams(XMLNavigator& nav) {
  std::unique_ptr<XmlRpcValueString> idParam;
  if (!readDecisionParams(nav, action_, idParam)) return false;
  takeDecisionId(*action_, std::move(idParam), *this);

  decision_ = kAccept;
  if (const std::string* action = memberText(*action_, "action")) {
    if (equalsIgnoreCase(*action, "decline")) decision_ = kDecline;
    if (equalsIgnoreCase(*action, "redirect")) decision_ = kRedirect;
  }
  callerId_ = memberTextOr(*action_, "callerid");
  displayName_ = memberTextOr(*action_, "displayname");
  remoteControl_ = false;
  declineReason_.clear();
  targets_.clear();
  switch (decision_) {
    case kAccept: {
      const XmlRpcValue* flag = action_->get("remotecontrol");
      remoteControl_ = flag != nullptr && flag->type() == kXmlRpcBoolean &&
                       static_cast<const XmlRpcValueBool*>(flag)->value();
      break;
    }
    case kDecline: {
      std::vector<std::string> reasons = arrayTexts(action_->get("reason"));
      if (!reasons.empty()) declineReason_ = std::move(reasons.front());
      break;
    }
    case kRedirect:
      targets_ = arrayTexts(action_->get("target"));
      break;
  }
  return true;
}

std::string cutMessageTakerMarker(std::string_view target, bool& found) {
  std::string text(target);
  const std::size_t at = text.find(kMessageTakerMarker);
  found = at != std::string::npos;
  if (found) {
    const std::size_t from = at == 0 ? 0 : at - 1;
    text.erase(from, (at - from) + kMessageTakerMarker.size());
  }
  return text;
}

void CallArrivedResponseMethod::dispatch(SessionCallbacks& callbacks) {
  switch (decision_) {
    case kAccept:
      callbacks.onCallArrivedAccept(idNumber(), callerId_, displayName_, remoteControl_);
      return;
    case kDecline:
      callbacks.onCallReject(idNumber());
      return;
    case kRedirect:
      break;
  }
  std::vector<PartyAddress> parties;
  for (const std::string& target : targets_) {
    bool messageTaker = false;
    const std::string text = cutMessageTakerMarker(target, messageTaker);
    PartyAddress party;
    if (!parseParty(text, party)) continue;
    if (messageTaker) party.kind |= kPartyMessageTakerFlag;
    parties.push_back(std::move(party));
  }
  if (parties.empty()) {
    callbacks.onCallArrivedAccept(idNumber(), callerId_, displayName_, remoteControl_);
  } else {
    callbacks.onCallArrivedForward(idNumber(), parties, callerId_, displayName_);
  }
}

// ---- calloriginated

bool CallOriginatedMethod::setCall(CallId callId, std::string_view extension,
                                   const PartyAddress& from, const PartyAddress& to,
                                   std::string_view pattern) {
  setIdText(formatId(callId));
  auto call = std::make_unique<XmlRpcValueStruct>();
  appendText(*call, "Ext", extension);
  if (!appendParty(*call, "From", from) || !appendParty(*call, "To", to)) {
    setParam(0, nullptr);
    return false;
  }
  appendText(*call, "Pattern", pattern);
  setParam(0, std::move(call));
  return true;
}

void CallOriginatedMethod::dispatch(SessionCallbacks& callbacks) {
  const XmlRpcValueStruct* call = structParam(0);
  if (call == nullptr) return;
  const std::string* extension = memberText(*call, "Ext");
  const std::string* pattern = memberText(*call, "Pattern");
  PartyAddress from;
  PartyAddress to;
  if (extension == nullptr || pattern == nullptr || !memberParty(*call, "From", from) ||
      !memberParty(*call, "To", to)) {
    return;
  }
  callbacks.onCallOriginated(idNumber(), *extension, from, to, *pattern);
}

std::unique_ptr<XmlRpcResponseMethod> CallOriginatedMethod::createResponse(bool fault) const {
  if (fault) return XmlRpcRequestMethod::createResponse(true);
  return std::make_unique<CallOriginatedResponseMethod>();
}

// ---- the decision on "calloriginated"

bool CallOriginatedResponseMethod::setAccept(CallId callId, CallId subscriptionId) {
  setIdText(formatId(callId));
  if (subscriptionId == 0) return false;
  decision_ = kAccept;
  subscriptionId_ = formatId(subscriptionId);
  action_ = std::make_unique<XmlRpcValueStruct>();
  appendText(*action_, "action", "accept");
  appendText(*action_, "subscrid", subscriptionId_);
  return true;
}

void CallOriginatedResponseMethod::setDecline(CallId callId) {
  setIdText(formatId(callId));
  decision_ = kDecline;
  subscriptionId_.clear();
  action_ = std::make_unique<XmlRpcValueStruct>();
  appendText(*action_, "action", "decline");
}

bool CallOriginatedResponseMethod::serializeResults(std::string& out) const {
  return writeDecision(out, action_.get(), id_.get());
}

bool CallOriginatedResponseMethod::parseParams(XMLNavigator& nav) {
  std::unique_ptr<XmlRpcValueString> idParam;
  if (!readDecisionParams(nav, action_, idParam)) return false;
  takeDecisionId(*action_, std::move(idParam), *this);
  decision_ = kDecline;
  if (const std::string* action = memberText(*action_, "action")) {
    if (equalsIgnoreCase(*action, "accept")) decision_ = kAccept;
  }
  subscriptionId_ = memberTextOr(*action_, "subscrid");
  return true;
}

void CallOriginatedResponseMethod::dispatch(SessionCallbacks& callbacks) {
  if (decision_ == kAccept) {
    callbacks.onCallOriginatedAccept(idNumber(), subscriptionId());
  } else {
    callbacks.onCallReject(idNumber());
  }
}

// ---- callestablished

bool CallEstablishedMethod::setEstablished(CallId callId, int32_t kindCode,
                                           const PartyAddress& party,
                                           std::span<const std::string> texts) {
  setIdText(formatId(callId));
  setInt(1, kindCode);
  if (texts.empty()) {
    setParam(3, nullptr);
  } else {
    auto list = std::make_unique<XmlRpcValueArray>();
    for (const std::string& text : texts) list->append(std::make_unique<XmlRpcValueString>(text));
    setParam(3, std::move(list));
  }
  PartyAddress prefixed = party;
  prefixed.kind = kindCode;
  return setParty(2, prefixed);
}

void CallEstablishedMethod::dispatch(SessionCallbacks& callbacks) {
  PartyAddress party;
  if (!parseParty(stringParam(2), party)) return;
  callbacks.onCallEstablished(idNumber(), intParam(1), party, arrayTexts(param(3)));
}

}  // namespace telvane
