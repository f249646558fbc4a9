#pragma once
// Helpers of the login, subscription and system-service messages: typed struct members, record
// field tables (one row per struct member, read and written by the same table), and typed
// response results.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "telvane/protocol/records.h"
#include "telvane/xmlrpc/call_id.h"
#include "telvane/xmlrpc/xmlrpc_value.h"

namespace telvane {

class XMLNavigator;

// The member `name` (ignoring case) when it has exactly `type`, else null.
const XmlRpcValue* typedMember(const XmlRpcValueStruct& record, std::string_view name, int type);

// A decimal signed 32-bit number: leading whitespace skipped, an optional sign, digits up to the
// first non-digit (wrapping modulo 2^32); 0 when no digit follows.
int32_t parseDecimalInt32(std::string_view text);

// The last element of a local path, folders cut at "/" or "\".
std::string_view pathBaseName(std::string_view path);

// How one record field travels as a struct member.
enum class FieldKind : uint8_t {
  kText,         // string member into a std::string
  kDateTime,     // dateTime.iso8601 member into a std::string, kept as received
  kInt32,        // int member
  kInt16,        // int member, low 16 bits kept
  kBool,         // boolean member
  kDecimalText,  // string member holding a signed decimal number (parseDecimalInt32)
  kIdText,       // string member holding a CallId (parseId / formatId)
  kParty,        // string member holding a party text (parseParty / buildParty)
  kNameAddress,  // string member holding a name-address (splitNameAddress / joinNameAddress)
};

template <class Record>
struct RecordField {
  std::string_view name;
  FieldKind kind;
  std::string Record::*text = nullptr;
  int32_t Record::*int32 = nullptr;
  int16_t Record::*int16 = nullptr;
  bool Record::*flag = nullptr;
  CallId Record::*id = nullptr;
  PartyAddress Record::*party = nullptr;
  NameAddress Record::*nameAddress = nullptr;
};

template <class R>
constexpr RecordField<R> field(std::string_view name, std::string R::*m,
                               FieldKind kind = FieldKind::kText) {
  return {.name = name, .kind = kind, .text = m};
}
template <class R>
constexpr RecordField<R> field(std::string_view name, int32_t R::*m,
                               FieldKind kind = FieldKind::kInt32) {
  return {.name = name, .kind = kind, .int32 = m};
}
template <class R>
constexpr RecordField<R> field(std::string_view name, int16_t R::*m) {
  return {.name = name, .kind = FieldKind::kInt16, .int16 = m};
}
template <class R>
constexpr RecordField<R> field(std::string_view name, bool R::*m) {
  return {.name = name, .kind = FieldKind::kBool, .flag = m};
}
template <class R>
constexpr RecordField<R> field(std::string_view name, CallId R::*m) {
  return {.name = name, .kind = FieldKind::kIdText, .id = m};
}
template <class R>
constexpr RecordField<R> field(std::string_view name, PartyAddress R::*m) {
  return {.name = name, .kind = FieldKind::kParty, .party = m};
}
template <class R>
constexpr RecordField<R> field(std::string_view name, NameAddress R::*m) {
  return {.name = name, .kind = FieldKind::kNameAddress, .nameAddress = m};
}

// The XML-RPC type a field's member must have.
int fieldValueType(FieldKind kind);

// Reads every field whose member is present with its type into `record`. With `requireAll`,
// false as soon as one member is missing or of another type (or a party text does not parse);
// `record` may then be partly filled.
template <class R>
bool readRecord(const XmlRpcValueStruct& source, std::span<const RecordField<R>> fields, R& record,
                bool requireAll);

// Writes the fields in table order as members of `target`; false when a party or name-address
// cannot be rebuilt (a name-address without user is written as an empty text).
template <class R>
bool writeRecord(const R& record, std::span<const RecordField<R>> fields,
                 XmlRpcValueStruct& target);

// Response results: reads every "param" after the "params" start tag and checks that the first
// ones have `types` in that order (further results are kept but not checked). Results are
// written with writeParam (xmlrpc_method.h).
bool readTypedResults(XMLNavigator& nav, std::span<const int> types,
                      std::vector<std::unique_ptr<XmlRpcValue>>& results);

}  // namespace telvane
