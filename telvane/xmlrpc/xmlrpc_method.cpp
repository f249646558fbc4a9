#include "telvane/xmlrpc/xmlrpc_method.h"

#include "telvane/protocol/session_callbacks.h"
#include "telvane/xml/xml_navigator.h"
#include "telvane/xmlrpc/ascii.h"
#include "telvane/xmlrpc/method_table.h"
#include "telvane/xmlrpc/party_address.h"

namespace telvane {

namespace {

constexpr std::size_t kSerializeReserve = 1024;

bool isStringType(int type) {
  return type == kXmlRpcString || type == kXmlRpcDateTime || type == kXmlRpcBase64;
}

}  // namespace

bool writeParam(std::string& out, const XmlRpcValue& value) {
  out.append("<param>\r\n");
  if (!value.serialize(out)) return false;
  out.append("</param>\r\n");
  return true;
}

// ---- XmlRpcMethod

bool XmlRpcMethod::serialize(std::string& out) const {
  if (out.capacity() < kSerializeReserve) out.reserve(kSerializeReserve);
  out.append("<?xml version=\"1.0\"?>\r\n");
  return true;
}

void XmlRpcMethod::setIdText(std::string_view text) {
  if (id_ == nullptr) id_ = std::make_unique<XmlRpcValueString>();
  id_->setValue(text);
}

CallId XmlRpcMethod::idNumber() const {
  return id_ == nullptr ? 0 : parseId(id_->value());
}

// ---- XmlRpcRequestMethod

bool XmlRpcRequestMethod::serialize(std::string& out) const {
  std::string_view name = methodName(type());
  if (name.empty()) return false;
  const std::size_t mark = out.size();
  XmlRpcMethod::serialize(out);
  out.append("<methodCall>\r\n<methodName>").append(name).append("</methodName>\r\n<params>\r\n");
  if (!serializeParams(out)) {
    out.resize(mark);
    return false;
  }
  out.append("</params>\r\n</methodCall>\r\n\r\n");
  return true;
}

bool XmlRpcRequestMethod::serializeParams(std::string& out) const {
  std::span<const ParamSpec> table = paramTable();
  for (std::size_t row = 0; row < table.size(); ++row) {
    const XmlRpcValue* value = param(row);
    if (table[row].presence == ParamPresence::kMandatory) {
      if (value == nullptr) return false;
    } else if (value == nullptr ||
               (isStringType(value->type()) &&
                static_cast<const XmlRpcValueString*>(value)->value().empty())) {
      continue;
    }
    if (!writeParam(out, *value)) return false;
  }
  return true;
}

std::unique_ptr<XmlRpcResponseMethod> XmlRpcRequestMethod::createResponse(bool fault) const {
  if (fault) return std::make_unique<FaultResponseMethod>(type());
  return std::make_unique<XmlRpcResponseMethod>(type());
}

bool XmlRpcRequestMethod::parseParams(XMLNavigator& nav) {
  std::span<const ParamSpec> table = paramTable();
  std::string_view tag;
  for (std::size_t row = 0; row < table.size(); ++row) {
    if (!nav.nextElementName(tag)) {
      // The params ended: what is left must be optional.
      for (std::size_t rest = row; rest < table.size(); ++rest) {
        if (table[rest].presence == ParamPresence::kMandatory) return false;
      }
      return true;
    }
    if (!equalsIgnoreCase(tag, "param")) return false;
    std::unique_ptr<XmlRpcValue> value = readValue(nav);
    if (value == nullptr || value->type() != table[row].type || !value->parse(nav)) return false;
    setParam(row, std::move(value));
    nav.skipElement();  // past "</value>"
    nav.skipElement();  // past "</param>"
  }
  return !(nav.nextElementName(tag) && equalsIgnoreCase(tag, "param"));
}

std::unique_ptr<XmlRpcResponseMethod> XmlRpcRequestMethod::parseResponse(
    std::string_view text) const {
  if (std::unique_ptr<XmlRpcResponseMethod> response = createResponse(false);
      response != nullptr && response->parseText(text)) {
    return response;
  }
  if (std::unique_ptr<XmlRpcResponseMethod> fault = createResponse(true);
      fault != nullptr && fault->parseText(text)) {
    return fault;
  }
  return nullptr;
}

XmlRpcValue* XmlRpcRequestMethod::param(std::size_t row) const {
  std::span<const ParamSpec> table = paramTable();
  if (row >= table.size()) return nullptr;
  if (table[row].isId) return id_.get();
  return row < slots_.size() ? slots_[row].get() : nullptr;
}

void XmlRpcRequestMethod::setParam(std::size_t row, std::unique_ptr<XmlRpcValue> value) {
  std::span<const ParamSpec> table = paramTable();
  if (row >= table.size()) return;
  if (table[row].isId && (value == nullptr || isStringType(value->type()))) {
    id_.reset(static_cast<XmlRpcValueString*>(value.release()));
    return;
  }
  if (slots_.size() < table.size()) slots_.resize(table.size());
  slots_[row] = std::move(value);
}

void XmlRpcRequestMethod::setString(std::size_t row, std::string_view text) {
  std::span<const ParamSpec> table = paramTable();
  if (row >= table.size() || !isStringType(table[row].type)) return;
  std::unique_ptr<XmlRpcValue> value = createValue(table[row].type);
  static_cast<XmlRpcValueString*>(value.get())->setValue(text);
  setParam(row, std::move(value));
}

bool XmlRpcRequestMethod::setParty(std::size_t row, const PartyAddress& party) {
  std::string text;
  if (!buildParty(party, text)) {
    setParam(row, nullptr);
    return false;
  }
  setString(row, text);
  return true;
}

void XmlRpcRequestMethod::setInt(std::size_t row, std::int32_t value) {
  setParam(row, std::make_unique<XmlRpcValueInt>(value));
}

void XmlRpcRequestMethod::setBool(std::size_t row, bool value) {
  setParam(row, std::make_unique<XmlRpcValueBool>(value));
}

std::string_view XmlRpcRequestMethod::stringParam(std::size_t row) const {
  const XmlRpcValue* value = param(row);
  if (value == nullptr || !isStringType(value->type())) return {};
  return static_cast<const XmlRpcValueString*>(value)->value();
}

std::int32_t XmlRpcRequestMethod::intParam(std::size_t row, std::int32_t absent) const {
  const XmlRpcValue* value = param(row);
  if (value == nullptr || value->type() != kXmlRpcInt) return absent;
  return static_cast<const XmlRpcValueInt*>(value)->value();
}

bool XmlRpcRequestMethod::boolParam(std::size_t row, bool absent) const {
  const XmlRpcValue* value = param(row);
  if (value == nullptr || value->type() != kXmlRpcBoolean) return absent;
  return static_cast<const XmlRpcValueBool*>(value)->value();
}

const XmlRpcValueStruct* XmlRpcRequestMethod::structParam(std::size_t row) const {
  const XmlRpcValue* value = param(row);
  if (value == nullptr || value->type() != kXmlRpcStruct) return nullptr;
  return static_cast<const XmlRpcValueStruct*>(value);
}

// ---- XmlRpcResponseMethod

bool XmlRpcResponseMethod::serialize(std::string& out) const {
  const std::size_t mark = out.size();
  XmlRpcMethod::serialize(out);
  out.append("<methodResponse>\r\n<params>\r\n");
  if (!serializeResults(out)) {
    out.resize(mark);
    return false;
  }
  out.append("</params>\r\n</methodResponse>\r\n\r\n");
  return true;
}

bool XmlRpcResponseMethod::serializeResults(std::string& out) const {
  return id_ != nullptr && writeParam(out, *id_);
}

void XmlRpcResponseMethod::dispatch(SessionCallbacks&) {}

bool XmlRpcResponseMethod::parseParams(XMLNavigator& nav) {
  if (!expectElement(nav, "param")) return false;
  std::unique_ptr<XmlRpcValue> value = readValue(nav);
  if (value == nullptr || value->type() != kXmlRpcString || !value->parse(nav)) return false;
  id_.reset(static_cast<XmlRpcValueString*>(value.release()));
  return true;
}

bool XmlRpcResponseMethod::setId(CallId n) {
  setIdText(formatId(n));
  return true;
}

bool XmlRpcResponseMethod::parseFault(XMLNavigator&) {
  return false;
}

bool XmlRpcResponseMethod::parseText(std::string_view text) {
  XMLNavigator nav;
  nav.parseBorrowed(text);
  if (!expectElement(nav, "methodResponse")) return false;
  std::string_view tag;
  if (!nav.nextElementName(tag)) return false;
  if (equalsIgnoreCase(tag, "params")) return parseParams(nav);
  if (equalsIgnoreCase(tag, "fault")) return parseFault(nav);
  return false;
}

// ---- FaultResponseMethod

bool FaultResponseMethod::serialize(std::string& out) const {
  if (fault_ == nullptr) return false;
  const std::size_t mark = out.size();
  XmlRpcMethod::serialize(out);
  out.append("<methodResponse>\r\n<fault>\r\n");
  if (!fault_->serialize(out)) {
    out.resize(mark);
    return false;
  }
  out.append("</fault>\r\n</methodResponse>\r\n\r\n");
  return true;
}

void FaultResponseMethod::dispatch(SessionCallbacks& callbacks) {
  if (fault_ == nullptr) return;
  const XmlRpcValueInt* code = fault_->getInt("faultCode");
  if (code == nullptr) return;
  callbacks.onRequestFailed(idNumber(), code->value(), std::string(faultString()));
}

bool FaultResponseMethod::parseParams(XMLNavigator& nav) {
  return takesPlainResult_ && XmlRpcResponseMethod::parseParams(nav);
}

bool FaultResponseMethod::parseFault(XMLNavigator& nav) {
  std::unique_ptr<XmlRpcValue> value = readValue(nav);
  if (value == nullptr || value->type() != kXmlRpcStruct || !value->parse(nav)) return false;
  fault_.reset(static_cast<XmlRpcValueStruct*>(value.release()));
  nav.skipElement();  // past "</value>"
  nav.skipElement();  // past "</fault>"
  return true;
}

void FaultResponseMethod::setFault(std::int32_t code, std::string_view text) {
  if (fault_ == nullptr) fault_ = std::make_unique<XmlRpcValueStruct>();
  fault_->set("faultCode", std::make_unique<XmlRpcValueInt>(code));
  fault_->set("faultString", std::make_unique<XmlRpcValueString>(text));
}

std::int32_t FaultResponseMethod::faultCode() const {
  const XmlRpcValueInt* code = fault_ == nullptr ? nullptr : fault_->getInt("faultCode");
  return code == nullptr ? 0 : code->value();
}

std::string_view FaultResponseMethod::faultString() const {
  const XmlRpcValueString* text = fault_ == nullptr ? nullptr : fault_->getString("faultString");
  return text == nullptr ? std::string_view() : std::string_view(text->value());
}

std::unique_ptr<FaultResponseMethod> makeUnknownMethodFault() {
  auto fault = std::make_unique<FaultResponseMethod>(kUnknownMethodType);
  fault->setFault(1, "Unknown XML RPC method");
  return fault;
}

}  // namespace telvane
