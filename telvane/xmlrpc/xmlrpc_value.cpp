#include "telvane/xmlrpc/xmlrpc_value.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "telvane/xml/xml_navigator.h"
#include "telvane/xml/xml_scanner.h"
#include "telvane/xmlrpc/ascii.h"
#include "telvane/xmlrpc/xmlrpc_escape.h"

namespace telvane {

namespace {

constexpr std::size_t kMemberReserve = 8;

// What XMLNavigator::readText gives (empty when there is no text), without its second pass
// over texts that hold no CR.
void readFoldedText(XMLNavigator& nav, std::string& out) {
  std::string_view raw;
  if (!nav.readRawText(raw)) {
    out.clear();
  } else if (std::memchr(raw.data(), '\r', raw.size()) == nullptr) {
    out.assign(raw);
  } else {
    out.clear();
    appendFoldedLineEnds(out, raw);
  }
}

constexpr std::string_view kTypeNames[kXmlRpcTypeCount] = {
    "int", "boolean", "double", "dateTime.iso8601", "string", "base64", "array", "struct",
};

// atoi of the text, saturated to the int range rather than undefined on overflow.
std::int32_t textToInt(const char* text) {
  errno = 0;
  long value = std::strtol(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return std::int32_t(value);
}

// The text of the element at the cursor as a C string (empty when there is no text), then past
// its end tag. Numbers are short: they are copied to the stack rather than to a string.
class NumberText {
 public:
  explicit NumberText(XMLNavigator& nav) {
    std::string_view raw;
    // An element without text gives no view at all (null data): mem* must not see it.
    if (!nav.readRawText(raw) || raw.empty()) {
      small_[0] = '\0';
    } else if (raw.size() < sizeof small_ && std::memchr(raw.data(), '\r', raw.size()) == nullptr) {
      std::memcpy(small_, raw.data(), raw.size());
      small_[raw.size()] = '\0';
    } else {
      appendFoldedLineEnds(large_, raw);
      text_ = large_.c_str();
    }
    nav.skipElement();
  }
  NumberText(const NumberText&) = delete;
  NumberText& operator=(const NumberText&) = delete;
  const char* c_str() const { return text_; }

 private:
  char small_[64];
  std::string large_;
  const char* text_ = small_;
};

// Arrays and structs read recursively; a peer's deeply nested value must not exhaust the stack.
constexpr int kMaxNesting = 256;

class NestingGuard {
 public:
  NestingGuard() { ++depth(); }
  ~NestingGuard() { --depth(); }
  bool tooDeep() const { return depth() > kMaxNesting; }

 private:
  static int& depth() {
    thread_local int level = 0;
    return level;
  }
};

}  // namespace

std::string_view xmlRpcTypeName(int type) {
  if (type < 0 || type >= kXmlRpcTypeCount) return {};
  return kTypeNames[type];
}

bool XmlRpcValue::serialize(std::string& out) const {
  std::string_view name = xmlRpcTypeName(type_);
  if (name.empty()) return false;
  out.append("<value><").append(name).push_back('>');
  if (!serializeContent(out)) return false;
  out.append("</").append(name).append("></value>\r\n");
  return true;
}

bool XmlRpcValue::serializeContent(std::string&) const {
  return true;
}

bool XmlRpcValue::parse(XMLNavigator& nav) {
  nav.skipElement();
  return true;
}

bool XmlRpcValueInt::serializeContent(std::string& out) const {
  char digits[16];
  auto result = std::to_chars(digits, digits + sizeof digits, value_);
  out.append(digits, result.ptr);
  return true;
}

bool XmlRpcValueInt::parse(XMLNavigator& nav) {
  value_ = textToInt(NumberText(nav).c_str());
  return true;
}

bool XmlRpcValueBool::serializeContent(std::string& out) const {
  out.push_back(value_ ? '1' : '0');
  return true;
}

bool XmlRpcValueBool::parse(XMLNavigator& nav) {
  value_ = textToInt(NumberText(nav).c_str()) != 0;
  return true;
}

bool XmlRpcValueDouble::serializeContent(std::string& out) const {
  char digits[400];  // "%f" of the largest double has 309 digits before the point
  int n = std::snprintf(digits, sizeof digits, "%f", value_);
  if (n < 0 || std::size_t(n) >= sizeof digits) return false;
  out.append(digits, std::size_t(n));
  return true;
}

bool XmlRpcValueDouble::parse(XMLNavigator& nav) {
  value_ = std::strtod(NumberText(nav).c_str(), nullptr);
  return true;
}

bool XmlRpcValueString::serializeContent(std::string& out) const {
  appendEscaped(out, value_);
  return true;
}

bool XmlRpcValueString::parse(XMLNavigator& nav) {
  parseText(nav, value_);
  return true;
}

void XmlRpcValueString::parseText(XMLNavigator& nav, std::string& value) {
  std::string_view raw;
  if (!nav.readRawText(raw)) {
    unescapeInPlace(value);  // no text keeps the stored text
  } else if (std::memchr(raw.data(), '\r', raw.size()) == nullptr) {
    assignUnescaped(value, raw);  // decoded straight from the document
  } else {
    value.clear();
    appendFoldedLineEnds(value, raw);
    unescapeInPlace(value);
  }
  nav.skipElement();
}

namespace {
constexpr std::string_view kDataOpen = "<data>\r\n";
constexpr std::string_view kDataClose = "</data>";
}  // namespace

bool XmlRpcValueArray::serializeContent(std::string& out) const {
  out.append(kDataOpen);
  for (const auto& item : items_) {
    if (!item->serialize(out)) return false;
  }
  out.append(kDataClose);
  return true;
}

void serializeStringArray(std::string& out, std::span<const std::string> items) {
  const std::string_view array = xmlRpcTypeName(kXmlRpcArray);
  const std::string_view string = xmlRpcTypeName(kXmlRpcString);
  out.append("<value><").append(array).append(">").append(kDataOpen);
  for (const std::string& item : items) {
    out.append("<value><").append(string).push_back('>');
    appendEscaped(out, item);
    out.append("</").append(string).append("></value>\r\n");
  }
  out.append(kDataClose).append("</").append(array).append("></value>\r\n");
}

bool XmlRpcValueArray::parse(XMLNavigator& nav) {
  NestingGuard guard;
  if (guard.tooDeep()) return false;
  if (!expectElement(nav, "data")) return false;
  while (std::unique_ptr<XmlRpcValue> item = readValue(nav)) {
    if (!item->parse(nav)) {
      items_.clear();
      return false;
    }
    items_.push_back(std::move(item));
    nav.skipElement();  // past "</value>"
  }
  nav.skipElement();  // past "</array>"
  return true;
}

bool readStringArrayItems(XMLNavigator& nav, std::vector<std::string>& out) {
  NestingGuard guard;
  if (guard.tooDeep()) return false;
  if (!expectElement(nav, "data")) return false;
  std::string_view name;
  const std::string_view string = xmlRpcTypeName(kXmlRpcString);
  // The loop of XmlRpcValueArray::parse, with readValue unfolded: a string item is read into
  // its text at once; any other item is made, parsed and dropped.
  while (nav.nextElementName(name) && equalsIgnoreCase(name, "value") &&
         nav.nextElementName(name)) {
    if (equalsIgnoreCase(name, string)) {
      XmlRpcValueString::parseText(nav, out.emplace_back());
    } else {
      std::unique_ptr<XmlRpcValue> item = createValue(name);
      if (item == nullptr) break;
      if (!item->parse(nav)) return false;
    }
    nav.skipElement();  // past "</value>"
  }
  nav.skipElement();  // past "</array>"
  return true;
}

XmlRpcValue* XmlRpcValueStruct::get(std::string_view name) const {
  for (const Member& m : members_) {
    if (equalsIgnoreCase(m.name, name)) return m.value.get();
  }
  return nullptr;
}

void XmlRpcValueStruct::set(std::string_view name, std::unique_ptr<XmlRpcValue> value) {
  for (Member& m : members_) {
    if (equalsIgnoreCase(m.name, name)) {
      m.value = std::move(value);
      return;
    }
  }
  append(name, std::move(value));
}

void XmlRpcValueStruct::append(std::string_view name, std::unique_ptr<XmlRpcValue> value) {
  members_.push_back(Member{std::string(name), std::move(value)});
}

const XmlRpcValueString* XmlRpcValueStruct::getString(std::string_view name) const {
  const XmlRpcValue* v = get(name);
  return v != nullptr && v->type() == kXmlRpcString ? static_cast<const XmlRpcValueString*>(v)
                                                    : nullptr;
}

const XmlRpcValueInt* XmlRpcValueStruct::getInt(std::string_view name) const {
  const XmlRpcValue* v = get(name);
  return v != nullptr && v->type() == kXmlRpcInt ? static_cast<const XmlRpcValueInt*>(v) : nullptr;
}

bool XmlRpcValueStruct::serializeContent(std::string& out) const {
  for (const Member& m : members_) {
    out.append("\r\n<member>\r\n<name>").append(m.name).append("</name>\r\n");
    if (m.value == nullptr || !m.value->serialize(out)) return false;
    out.append("</member>");
  }
  out.append("\r\n");
  return true;
}

bool XmlRpcValueStruct::parse(XMLNavigator& nav) {
  NestingGuard guard;
  if (guard.tooDeep()) return false;
  std::string_view tag;
  for (;;) {
    if (!nav.nextElementName(tag) || !equalsIgnoreCase(tag, "member")) return true;
    if (!expectElement(nav, "name")) {
      members_.clear();
      return false;
    }
    // The member is read in place: its name straight from the document, no copy on adding.
    if (members_.size() == members_.capacity()) {
      members_.reserve(std::max(kMemberReserve, members_.capacity() * 2));
    }
    Member& member = members_.emplace_back();
    readFoldedText(nav, member.name);
    nav.skipElement();  // past "</name>"
    member.value = readParsedValue(nav);
    if (member.value == nullptr) {
      members_.clear();
      return false;
    }
    nav.skipElement();  // past "</value>"
    nav.skipElement();  // past "</member>"
  }
}

std::unique_ptr<XmlRpcValue> createValue(int type) {
  switch (type) {
    case kXmlRpcInt:
      return std::make_unique<XmlRpcValueInt>();
    case kXmlRpcBoolean:
      return std::make_unique<XmlRpcValueBool>();
    case kXmlRpcDouble:
      return std::make_unique<XmlRpcValueDouble>();
    case kXmlRpcDateTime:
      return std::make_unique<XmlRpcValueDateTime>();
    case kXmlRpcString:
      return std::make_unique<XmlRpcValueString>();
    case kXmlRpcBase64:
      return std::make_unique<XmlRpcValueBase64>();
    case kXmlRpcArray:
      return std::make_unique<XmlRpcValueArray>();
    case kXmlRpcStruct:
      return std::make_unique<XmlRpcValueStruct>();
    default:
      return nullptr;
  }
}

std::unique_ptr<XmlRpcValue> createValue(std::string_view typeName) {
  // Runs for every value read: only the names of the same length are compared.
  if (typeName.size() == 2)
    return equalsIgnoreCase(typeName, "i4") ? createValue(kXmlRpcInt) : nullptr;
  for (int type = 0; type < kXmlRpcTypeCount; ++type) {
    if (kTypeNames[type].size() == typeName.size() &&
        equalsIgnoreCase(typeName, kTypeNames[type])) {
      return createValue(type);
    }
  }
  return nullptr;
}

std::unique_ptr<XmlRpcValue> readValue(XMLNavigator& nav) {
  std::string_view name;
  if (!nav.nextElementName(name) || !equalsIgnoreCase(name, "value")) return nullptr;
  if (!nav.nextElementName(name)) return nullptr;
  return createValue(name);
}

std::unique_ptr<XmlRpcValue> readParsedValue(XMLNavigator& nav) {
  std::unique_ptr<XmlRpcValue> value = readValue(nav);
  if (value == nullptr || !value->parse(nav)) return nullptr;
  return value;
}

bool expectElement(XMLNavigator& nav, std::string_view name) {
  std::string_view tag;
  return nav.nextElementName(tag) && equalsIgnoreCase(tag, name);
}

}  // namespace telvane
