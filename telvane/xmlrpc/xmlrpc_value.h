#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace telvane {

class XMLNavigator;

// Value type tags; the tag indexes the type-name table (xmlRpcTypeName).
enum XmlRpcType : int {
  kXmlRpcInt = 0,
  kXmlRpcBoolean = 1,
  kXmlRpcDouble = 2,
  kXmlRpcDateTime = 3,
  kXmlRpcString = 4,
  kXmlRpcBase64 = 5,
  kXmlRpcArray = 6,
  kXmlRpcStruct = 7,
};
inline constexpr int kXmlRpcTypeCount = 8;

// "int", "boolean", "double", "dateTime.iso8601", "string", "base64", "array", "struct";
// empty for a tag outside 0 to 7.
std::string_view xmlRpcTypeName(int type);

// One XML-RPC value. Writing gives "<value><TYPE>content</TYPE></value>\r\n"; reading starts
// after the type start tag (see readValue) and consumes through the type end tag.
class XmlRpcValue {
 public:
  explicit XmlRpcValue(int type) : type_(type) {}
  virtual ~XmlRpcValue() = default;
  XmlRpcValue(const XmlRpcValue&) = delete;
  XmlRpcValue& operator=(const XmlRpcValue&) = delete;

  // Appends the value's text; false for a tag outside the table or a member that fails (what
  // was appended so far stays).
  virtual bool serialize(std::string& out) const;
  // Reads the content after the type start tag. The base reads nothing and skips the element.
  virtual bool parse(XMLNavigator& nav);

  int type() const { return type_; }

 protected:
  // The text between the type tags.
  virtual bool serializeContent(std::string& out) const;

 private:
  int type_;
};

class XmlRpcValueInt : public XmlRpcValue {
 public:
  explicit XmlRpcValueInt(std::int32_t value = 0) : XmlRpcValue(kXmlRpcInt), value_(value) {}
  std::int32_t value() const { return value_; }
  void setValue(std::int32_t value) { value_ = value; }
  bool parse(XMLNavigator& nav) override;  // atoi of the text; no text leaves 0

 protected:
  bool serializeContent(std::string& out) const override;

 private:
  std::int32_t value_;
};

class XmlRpcValueBool : public XmlRpcValue {
 public:
  explicit XmlRpcValueBool(bool value = false) : XmlRpcValue(kXmlRpcBoolean), value_(value) {}
  bool value() const { return value_; }
  void setValue(bool value) { value_ = value; }
  bool parse(XMLNavigator& nav) override;  // true when atoi of the text is not 0

 protected:
  bool serializeContent(std::string& out) const override;

 private:
  bool value_;
};

class XmlRpcValueDouble : public XmlRpcValue {
 public:
  explicit XmlRpcValueDouble(double value = 0.0) : XmlRpcValue(kXmlRpcDouble), value_(value) {}
  double value() const { return value_; }
  void setValue(double value) { value_ = value; }
  bool parse(XMLNavigator& nav) override;  // atof of the text

 protected:
  bool serializeContent(std::string& out) const override;  // as "%f"

 private:
  double value_;
};

// A byte string, escaped on writing and unescaped on reading (see xmlrpc_escape.h).
class XmlRpcValueString : public XmlRpcValue {
 public:
  explicit XmlRpcValueString(std::string_view value = {})
      : XmlRpcValueString(kXmlRpcString, value) {}
  const std::string& value() const { return value_; }
  std::string& mutableValue() { return value_; }
  void setValue(std::string_view value) { value_.assign(value); }
  bool parse(XMLNavigator& nav) override;

  // What parse does, into `value`: the text after the type start tag, decoded (with no text,
  // `value` keeps its own text, decoded), then through the type end tag.
  static void parseText(XMLNavigator& nav, std::string& value);

 protected:
  XmlRpcValueString(int type, std::string_view value) : XmlRpcValue(type), value_(value) {}
  bool serializeContent(std::string& out) const override;

 private:
  std::string value_;
};

// Stored and written as given: no date conversion.
class XmlRpcValueDateTime : public XmlRpcValueString {
 public:
  explicit XmlRpcValueDateTime(std::string_view value = {})
      : XmlRpcValueString(kXmlRpcDateTime, value) {}
};

// Stored and written as given: no Base64 coding.
class XmlRpcValueBase64 : public XmlRpcValueString {
 public:
  explicit XmlRpcValueBase64(std::string_view value = {})
      : XmlRpcValueString(kXmlRpcBase64, value) {}
};

// Ordered owned items.
class XmlRpcValueArray : public XmlRpcValue {
 public:
  XmlRpcValueArray() : XmlRpcValue(kXmlRpcArray) {}
  void append(std::unique_ptr<XmlRpcValue> value) { items_.push_back(std::move(value)); }
  void clear() { items_.clear(); }
  std::size_t size() const { return items_.size(); }
  XmlRpcValue* at(std::size_t i) const { return items_[i].get(); }
  const std::vector<std::unique_ptr<XmlRpcValue>>& items() const { return items_; }
  bool parse(XMLNavigator& nav) override;

 protected:
  bool serializeContent(std::string& out) const override;

 private:
  std::vector<std::unique_ptr<XmlRpcValue>> items_;
};

// Members in insertion order; names read from the wire need not be unique.
class XmlRpcValueStruct : public XmlRpcValue {
 public:
  struct Member {
    std::string name;
    std::unique_ptr<XmlRpcValue> value;
  };

  XmlRpcValueStruct() : XmlRpcValue(kXmlRpcStruct) {}

  // The first member of that name (ignoring case), or null.
  XmlRpcValue* get(std::string_view name) const;
  // Replaces the value of the first member of that name (ignoring case; the stored name stays),
  // or appends a new member.
  void set(std::string_view name, std::unique_ptr<XmlRpcValue> value);
  // Appends without looking for an existing member.
  void append(std::string_view name, std::unique_ptr<XmlRpcValue> value);
  void clear() { members_.clear(); }
  std::size_t size() const { return members_.size(); }
  const std::vector<Member>& members() const { return members_; }

  // Typed lookups: null when absent or of another type.
  const XmlRpcValueString* getString(std::string_view name) const;
  const XmlRpcValueInt* getInt(std::string_view name) const;

  bool parse(XMLNavigator& nav) override;

 protected:
  bool serializeContent(std::string& out) const override;

 private:
  std::vector<Member> members_;
};

// After the "array" type start tag, reads as XmlRpcValueArray::parse does, appending the text of
// every "string" item to `out` and dropping the other items, without making a value per item.
// False where that parse fails (`out` may then hold some texts).
bool readStringArrayItems(XMLNavigator& nav, std::vector<std::string>& out);

// Appends what an XmlRpcValueArray of XmlRpcValueString items would write, without making them.
void serializeStringArray(std::string& out, std::span<const std::string> items);

// A new empty value for a type name (ignoring case; "i4" also gives an int), or null.
std::unique_ptr<XmlRpcValue> createValue(std::string_view typeName);
// A new empty value for a type tag, or null.
std::unique_ptr<XmlRpcValue> createValue(int type);

// Reads the "value" start tag and the type start tag; returns the new value, not yet parsed,
// or null.
std::unique_ptr<XmlRpcValue> readValue(XMLNavigator& nav);
// readValue followed by parse; null when either fails.
std::unique_ptr<XmlRpcValue> readParsedValue(XMLNavigator& nav);

// Reads the next start tag and compares its name with `name` ignoring case.
bool expectElement(XMLNavigator& nav, std::string_view name);

}  // namespace telvane
