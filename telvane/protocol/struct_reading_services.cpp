#include "telvane/protocol/struct_reading_services.h"

#include "telvane/xml/xml_navigator.h"
#include "telvane/xmlrpc/ascii.h"
#include "telvane/xmlrpc/generic_method.h"
#include "telvane/xmlrpc/party_address.h"

namespace telvane {

const XmlRpcValue* typedMember(const XmlRpcValueStruct& record, std::string_view name, int type) {
  const XmlRpcValue* value = record.get(name);
  return value != nullptr && value->type() == type ? value : nullptr;
}

int32_t parseDecimalInt32(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<uint32_t>(text[i] - '0');
  }
  return static_cast<int32_t>(negative ? 0u - value : value);
}

std::string_view pathBaseName(std::string_view path) {
  const std::size_t cut = path.find_last_of("/\\");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

int fieldValueType(FieldKind kind) {
  switch (kind) {
    case FieldKind::kDateTime:
      return kXmlRpcDateTime;
    case FieldKind::kInt32:
    case FieldKind::kInt16:
      return kXmlRpcInt;
    case FieldKind::kBool:
      return kXmlRpcBoolean;
    default:
      return kXmlRpcString;
  }
}

namespace {

const std::string& textOf(const XmlRpcValue& value) {
  return static_cast<const XmlRpcValueString&>(value).value();
}

int32_t intOf(const XmlRpcValue& value) {
  return static_cast<const XmlRpcValueInt&>(value).value();
}

// False when the member's text does not convert (party, name-address).
template <class R>
bool readField(const XmlRpcValue& value, const RecordField<R>& f, R& record) {
  switch (f.kind) {
    case FieldKind::kText:
    case FieldKind::kDateTime:
      record.*f.text = textOf(value);
      return true;
    case FieldKind::kInt32:
      record.*f.int32 = intOf(value);
      return true;
    case FieldKind::kInt16:
      record.*f.int16 = static_cast<int16_t>(static_cast<uint16_t>(intOf(value) & 0xFFFF));
      return true;
    case FieldKind::kBool:
      record.*f.flag = static_cast<const XmlRpcValueBool&>(value).value();
      return true;
    case FieldKind::kDecimalText:
      record.*f.int32 = parseDecimalInt32(textOf(value));
      return true;
    case FieldKind::kIdText:
      record.*f.id = parseId(textOf(value));
      return true;
    case FieldKind::kParty: {
      PartyAddress party;
      const bool ok = parseParty(textOf(value), party);
      record.*f.party = ok ? party : PartyAddress{};
      return ok;
    }
    case FieldKind::kNameAddress: {
      NameAddress address;
      const bool ok = splitNameAddress(textOf(value), address.displayName, address.user,
                                       address.host, address.port);
      record.*f.nameAddress = ok ? address : NameAddress{};
      return ok;
    }
  }
  return false;
}

template <class R>
std::unique_ptr<XmlRpcValue> writeField(const R& record, const RecordField<R>& f) {
  switch (f.kind) {
    case FieldKind::kText:
      return std::make_unique<XmlRpcValueString>(record.*f.text);
    case FieldKind::kDateTime:
      return std::make_unique<XmlRpcValueDateTime>(record.*f.text);
    case FieldKind::kInt32:
      return std::make_unique<XmlRpcValueInt>(record.*f.int32);
    case FieldKind::kInt16:
      return std::make_unique<XmlRpcValueInt>(record.*f.int16);
    case FieldKind::kBool:
      return std::make_unique<XmlRpcValueBool>(record.*f.flag);
    case FieldKind::kDecimalText:
      return std::make_unique<XmlRpcValueString>(std::to_string(record.*f.int32));
    case FieldKind::kIdText:
      return std::make_unique<XmlRpcValueString>(formatId(record.*f.id));
    case FieldKind::kParty: {
      std::string text;
      if (!buildParty(record.*f.party, text)) return nullptr;
      return std::make_unique<XmlRpcValueString>(text);
    }
    case FieldKind::kNameAddress: {
      const NameAddress& a = record.*f.nameAddress;
      std::string text;
      // No user means no address at all: an empty text, which reads back as an empty address.
      if (!joinNameAddress(a.displayName, a.user, a.host, a.port, text)) text.clear();
      return std::make_unique<XmlRpcValueString>(text);
    }
  }
  return nullptr;
}

}  // namespace

template <class R>
bool readRecord(const XmlRpcValueStruct& source, std::span<const RecordField<R>> fields, R& record,
                bool requireAll) {
  for (const RecordField<R>& f : fields) {
    const XmlRpcValue* value = typedMember(source, f.name, fieldValueType(f.kind));
    if (value == nullptr) {
      if (requireAll) return false;
      continue;
    }
    if (!readField(*value, f, record) && requireAll) return false;
  }
  return true;
}

template <class R>
bool writeRecord(const R& record, std::span<const RecordField<R>> fields,
                 XmlRpcValueStruct& target) {
  for (const RecordField<R>& f : fields) {
    std::unique_ptr<XmlRpcValue> value = writeField(record, f);
    if (value == nullptr) return false;
    target.append(f.name, std::move(value));
  }
  return true;
}

#define TELVANE_RECORD_TABLE(R)                                                              \
  template bool readRecord<R>(const XmlRpcValueStruct&, std::span<const RecordField<R>>, R&, \
                              bool);                                                         \
  template bool writeRecord<R>(const R&, std::span<const RecordField<R>>, XmlRpcValueStruct&);
TELVANE_RECORD_TABLE(MailRecord)
TELVANE_RECORD_TABLE(CdrRecord)
TELVANE_RECORD_TABLE(CdrStatistics)
TELVANE_RECORD_TABLE(DialogRecord)
TELVANE_RECORD_TABLE(ExtensionRecord)
#undef TELVANE_RECORD_TABLE

bool readTypedResults(XMLNavigator& nav, std::span<const int> types,
                      std::vector<std::unique_ptr<XmlRpcValue>>& results) {
  results.clear();
  if (!readParamList(nav, results) || results.size() < types.size()) return false;
  for (std::size_t i = 0; i < types.size(); ++i) {
    if (results[i]->type() != types[i]) return false;
  }
  return true;
}


}  // namespace telvane
