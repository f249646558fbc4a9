#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "telvane/xmlrpc/call_id.h"
#include "telvane/xmlrpc/xmlrpc_value.h"

namespace telvane {

struct PartyAddress;
class SessionCallbacks;
class XMLNavigator;
class XmlRpcResponseMethod;

// Every message on the wire: a request (method call) or a response. A message owns its values.
// serialize appends the complete text, "\r\n\r\n" terminator included, and returns false (with
// `out` left as it was) when the message cannot be written.
class XmlRpcMethod {
 public:
  XmlRpcMethod(int type, bool expectsResponse) : expectsResponse_(expectsResponse), type_(type) {}
  virtual ~XmlRpcMethod() = default;
  XmlRpcMethod(const XmlRpcMethod&) = delete;
  XmlRpcMethod& operator=(const XmlRpcMethod&) = delete;

  // The base writes the XML declaration line, after reserving 1024 bytes in `out` when its
  // capacity is below that.
  virtual bool serialize(std::string& out) const;
  virtual void dispatch(SessionCallbacks& callbacks) = 0;

  // True on every request (outgoing or parsed), false on every response.
  bool expectsResponse() const { return expectsResponse_; }
  // The row of the method-name table; kUnknownMethodType for the unknown-method fault.
  int type() const { return type_; }
  void setType(int type) { type_ = type; }

  // The call, subscription or request ID as CallId text; on a plain response its one result.
  const XmlRpcValueString* id() const { return id_.get(); }
  void setIdText(std::string_view text);
  void setIdValue(std::unique_ptr<XmlRpcValueString> value) { id_ = std::move(value); }
  // parseId of the id text; 0 when there is none.
  CallId idNumber() const;

 protected:
  std::unique_ptr<XmlRpcValueString> id_;

 private:
  bool expectsResponse_;
  int type_;
};

// How a request parameter may be absent.
enum class ParamPresence : std::uint8_t {
  kMandatory,  // serialize fails while unset; parseParams fails when missing
  kOptional,   // left out when unset (a string also when empty); may be missing at the end
};

// One row of a request class's parameter table. The row marked `isId` is held in the message's
// `id`; the others in the request's value slots, in table order.
struct ParamSpec {
  std::string_view name;
  int type;  // XmlRpcType
  ParamPresence presence = ParamPresence::kMandatory;
  bool isId = false;
};

// A method call. A subclass per PBX method gives its parameter table (paramTable) and its
// dispatch; serialize and parseParams walk the table, so a subclass only names its params and
// offers typed setters/getters over the slots:
//
//   class CloseCallMethod : public XmlRpcRequestMethod {
//     static constexpr ParamSpec kParams[] = {{"id", kXmlRpcString, ParamPresence::kMandatory,
//                                              true}};
//    public:
//     CloseCallMethod() : XmlRpcRequestMethod(kCloseCall) {}
//     std::span<const ParamSpec> paramTable() const override { return kParams; }
//     void dispatch(SessionCallbacks& cb) override { cb.onCloseCall(idNumber()); }
//   };
class XmlRpcRequestMethod : public XmlRpcMethod {
 public:
  explicit XmlRpcRequestMethod(int type) : XmlRpcMethod(type, true) {}

  // "<methodCall>", "<methodName>", one "<param>" per set parameter, "</methodCall>\r\n\r\n".
  bool serialize(std::string& out) const override;

  // A new response of the kind that answers this request: with `fault` false a plain
  // XmlRpcResponseMethod of this `type` (overridden by requests with richer answers), with
  // `fault` true a FaultResponseMethod.
  virtual std::unique_ptr<XmlRpcResponseMethod> createResponse(bool fault) const;

  // Reads the params of an incoming call, after the "params" start tag, in table order: each a
  // "param", a "value" and a typed value of the table's type. A missing mandatory param, a type
  // that differs or a param beyond the table fails.
  virtual bool parseParams(XMLNavigator& nav);

  // The answer to this request in `text` (without the terminator): the response that
  // createResponse(false) makes, else a FaultResponseMethod, else null.
  std::unique_ptr<XmlRpcResponseMethod> parseResponse(std::string_view text) const;

  // The class's parameter table; empty for a request without table (see GenericRequestMethod).
  virtual std::span<const ParamSpec> paramTable() const { return {}; }

  // Value slot of table row `row` (the id row maps to `id`); null while unset.
  XmlRpcValue* param(std::size_t row) const;
  void setParam(std::size_t row, std::unique_ptr<XmlRpcValue> value);

 protected:
  // Typed slot access for subclasses' setters and dispatch.
  void setString(std::size_t row, std::string_view text);
  void setInt(std::size_t row, std::int32_t value);
  void setBool(std::size_t row, bool value);
  // The party's text into string slot `row`. A party that cannot be written clears the slot
  // (a mandatory one then stops serialize) and gives false.
  bool setParty(std::size_t row, const PartyAddress& party);
  // The slot's text, or empty when unset / not a string.
  std::string_view stringParam(std::size_t row) const;
  // The slot's number, or `absent` when unset / not of that type.
  std::int32_t intParam(std::size_t row, std::int32_t absent = 0) const;
  bool boolParam(std::size_t row, bool absent = false) const;
  const XmlRpcValueStruct* structParam(std::size_t row) const;

  // The "<param>" blocks; the default walks paramTable(). False when a mandatory value is unset
  // or a value fails to write.
  virtual bool serializeParams(std::string& out) const;

 private:
  std::vector<std::unique_ptr<XmlRpcValue>> slots_;  // one per table row; the id row stays null
};

// A method response with one string result held in `id`; subclasses write and read more.
class XmlRpcResponseMethod : public XmlRpcMethod {
 public:
  explicit XmlRpcResponseMethod(int type, bool isFault = false)
      : XmlRpcMethod(type, false), isFault_(isFault) {}

  // "<methodResponse>", "<params>", the result blocks, "</methodResponse>\r\n\r\n".
  bool serialize(std::string& out) const override;
  // Nothing; FaultResponseMethod and response subclasses override it.
  void dispatch(SessionCallbacks& callbacks) override;

  // After the "params" start tag: one "param" whose value is a string, stored in `id`.
  virtual bool parseParams(XMLNavigator& nav);
  // Stores formatId(n) as `id`.
  bool setId(CallId n);
  // After the "fault" start tag; the base accepts no fault.
  virtual bool parseFault(XMLNavigator& nav);

  bool isFault() const { return isFault_; }

  // Parses a whole response text (without the terminator) into this object.
  bool parseText(std::string_view text);

 protected:
  // The "<param>" blocks; the default writes `id` and fails when it is unset.
  virtual bool serializeResults(std::string& out) const;

 private:
  bool isFault_;
};

// A response carrying a fault struct with "faultCode" (int) and "faultString" (string).
class FaultResponseMethod : public XmlRpcResponseMethod {
 public:
  // `takesPlainResult`: whether a plain string result also reads as this object (a fault
  // without content, as the base parseParams reads it).
  explicit FaultResponseMethod(int type, bool takesPlainResult = true)
      : XmlRpcResponseMethod(type, true), takesPlainResult_(takesPlainResult) {}

  // "<methodResponse>", "<fault>", the fault struct, "</methodResponse>\r\n\r\n"; false while
  // there is no fault.
  bool serialize(std::string& out) const override;
  // onRequestFailed(parseId(id), faultCode, faultString) when the fault has an int faultCode.
  void dispatch(SessionCallbacks& callbacks) override;
  // After the "fault" start tag: one value that must be a struct.
  bool parseFault(XMLNavigator& nav) override;
  // The base's plain string result, when this fault takes one.
  bool parseParams(XMLNavigator& nav) override;

  // Sets the members "faultCode" and "faultString" (replacing members of those names).
  void setFault(std::int32_t code, std::string_view text);
  const XmlRpcValueStruct* fault() const { return fault_.get(); }
  // The int "faultCode", or 0; the string "faultString", or empty.
  std::int32_t faultCode() const;
  std::string_view faultString() const;

 private:
  std::unique_ptr<XmlRpcValueStruct> fault_;
  bool takesPlainResult_;
};

// Appends one "<param>\r\n", the value's text, "</param>\r\n" block (for response subclasses
// that write their own result list).
bool writeParam(std::string& out, const XmlRpcValue& value);

// The answer to an incoming method that is unknown or whose params do not match: faultCode 1,
// faultString "Unknown XML RPC method", type kUnknownMethodType.
std::unique_ptr<FaultResponseMethod> makeUnknownMethodFault();

}  // namespace telvane
