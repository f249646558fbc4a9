#include "telvane/xmlrpc/xmlrpc_value.h"

#include <gtest/gtest.h>

#include <string>

#include "telvane/xml/xml_navigator.h"

namespace telvane {
namespace {

std::string written(const XmlRpcValue& value) {
  std::string out;
  EXPECT_TRUE(value.serialize(out));
  return out;
}

// Reads one value from its text, as a message parser would.
std::unique_ptr<XmlRpcValue> read(std::string_view text) {
  XMLNavigator nav;
  nav.parse(text);
  return readParsedValue(nav);
}

TEST(XmlRpcValueTest, WritesScalars) {
  EXPECT_EQ(written(XmlRpcValueInt(7)), "<value><int>7</int></value>\r\n");
  EXPECT_EQ(written(XmlRpcValueInt(-2147483647 - 1)), "<value><int>-2147483648</int></value>\r\n");
  EXPECT_EQ(written(XmlRpcValueBool(true)), "<value><boolean>1</boolean></value>\r\n");
  EXPECT_EQ(written(XmlRpcValueBool(false)), "<value><boolean>0</boolean></value>\r\n");
  EXPECT_EQ(written(XmlRpcValueDouble(1.5)), "<value><double>1.500000</double></value>\r\n");
  EXPECT_EQ(written(XmlRpcValueDouble(-1e-7)), "<value><double>-0.000000</double></value>\r\n");
  EXPECT_EQ(written(XmlRpcValueString("a<b&c")),
            "<value><string>a&lt;b&amp;c</string></value>\r\n");
  EXPECT_EQ(written(XmlRpcValueDateTime("20261209T05:00:00")),
            "<value><dateTime.iso8601>20261209T05:00:00</dateTime.iso8601></value>\r\n");
  EXPECT_EQ(written(XmlRpcValueBase64("AAEC")), "<value><base64>AAEC</base64></value>\r\n");
}

TEST(XmlRpcValueTest, WritesContainers) {
  EXPECT_EQ(written(XmlRpcValueStruct()), "<value><struct>\r\n</struct></value>\r\n");
  EXPECT_EQ(written(XmlRpcValueArray()), "<value><array><data>\r\n</data></array></value>\r\n");
  XmlRpcValueStruct s;
  s.set("A", std::make_unique<XmlRpcValueString>("x"));
  s.set("B", std::make_unique<XmlRpcValueInt>(1));
  EXPECT_EQ(written(s),
            "<value><struct>\r\n<member>\r\n<name>A</name>\r\n<value><string>x</string></value>"
            "\r\n</member>\r\n<member>\r\n<name>B</name>\r\n<value><int>1</int></value>\r\n"
            "</member>\r\n</struct></value>\r\n");
  XmlRpcValueArray a;
  a.append(std::make_unique<XmlRpcValueInt>(1));
  a.append(std::make_unique<XmlRpcValueBool>(true));
  EXPECT_EQ(written(a),
            "<value><array><data>\r\n<value><int>1</int></value>\r\n"
            "<value><boolean>1</boolean></value>\r\n</data></array></value>\r\n");
}

TEST(XmlRpcValueTest, TypeOutsideTheTableWritesNothing) {
  XmlRpcValue odd(8);
  std::string out = "keep";
  EXPECT_FALSE(odd.serialize(out));
  EXPECT_EQ(out, "keep");
  XmlRpcValueArray a;
  a.append(std::make_unique<XmlRpcValue>(-1));
  EXPECT_FALSE(a.serialize(out));
}

TEST(XmlRpcValueTest, ReadsScalars) {
  auto i = read("<value><i4>12</i4></value>");
  ASSERT_NE(i, nullptr);
  ASSERT_EQ(i->type(), kXmlRpcInt);
  EXPECT_EQ(static_cast<XmlRpcValueInt&>(*i).value(), 12);
  auto big = read("<value><int>99999999999</int></value>");
  EXPECT_EQ(static_cast<XmlRpcValueInt&>(*big).value(), 2147483647);
  auto junk = read("<value><INT>12abc</INT></value>");
  EXPECT_EQ(static_cast<XmlRpcValueInt&>(*junk).value(), 12);

  auto b = read("<value><boolean>true</boolean></value>");
  ASSERT_EQ(b->type(), kXmlRpcBoolean);
  EXPECT_FALSE(static_cast<XmlRpcValueBool&>(*b).value());  // "true" is not numeric
  EXPECT_TRUE(static_cast<XmlRpcValueBool&>(*read("<value><boolean>2</boolean></value>")).value());

  // Found with the fuzz target: a number element without text has no view at all; it reads as 0.
  for (const char* text : {"<value><int></int></value>", "<value><boolean></boolean></value>",
                           "<value><double></double></value>", "<value><i4/></value>"}) {
    auto none = read(text);
    ASSERT_NE(none, nullptr) << text;
    std::string out;
    ASSERT_TRUE(none->serialize(out));
    EXPECT_NE(out.find(">0"), std::string::npos) << text << " -> " << out;
  }

  auto d = read("<value><double>-2.25</double></value>");
  EXPECT_DOUBLE_EQ(static_cast<XmlRpcValueDouble&>(*d).value(), -2.25);

  auto s = read("<value><string>a&lt;b&amp;c</string></value>");
  EXPECT_EQ(static_cast<XmlRpcValueString&>(*s).value(), "a<b&c");
  auto empty = read("<value><string></string></value>");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(static_cast<XmlRpcValueString&>(*empty).value(), "");
  auto dt = read("<value><dateTime.iso8601>x</dateTime.iso8601></value>");
  EXPECT_EQ(dt->type(), kXmlRpcDateTime);
}

TEST(XmlRpcValueTest, RejectsMalformedValues) {
  EXPECT_EQ(read("<value>abc</value>"), nullptr);                  // no type element
  EXPECT_EQ(read("<val><int>1</int></val>"), nullptr);             // no "value"
  EXPECT_EQ(read("<value><float>1</float></value>"), nullptr);     // type outside the table
  EXPECT_EQ(read("<value><array><x/></array></value>"), nullptr);  // no "data"
  EXPECT_EQ(read("<value><struct><member><value><int>1</int></value></member></struct></value>"),
            nullptr);  // member without "name"
  // An item without a type element ends the item list: the array reads as empty.
  auto items = read("<value><array><data><value>x</value></data></array></value>");
  ASSERT_NE(items, nullptr);
  EXPECT_EQ(static_cast<XmlRpcValueArray&>(*items).size(), 0u);
}

TEST(XmlRpcValueTest, ContainersRoundTrip) {
  XmlRpcValueStruct s;
  s.append("Calls", std::make_unique<XmlRpcValueArray>());
  auto inner = std::make_unique<XmlRpcValueArray>();
  inner->append(std::make_unique<XmlRpcValueString>("<&>"));
  auto nested = std::make_unique<XmlRpcValueStruct>();
  nested->append("n", std::make_unique<XmlRpcValueDouble>(0.5));
  inner->append(std::move(nested));
  s.append("List", std::move(inner));
  s.append("List", std::make_unique<XmlRpcValueInt>(3));  // duplicates are kept in order
  const std::string text = written(s);
  auto back = read(text);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(written(*back), text);
  const auto& members = static_cast<XmlRpcValueStruct&>(*back).members();
  ASSERT_EQ(members.size(), 3u);
  EXPECT_EQ(members[2].name, "List");
  EXPECT_EQ(written(*read(written(XmlRpcValueStruct()))), written(XmlRpcValueStruct()));
  EXPECT_EQ(written(*read(written(XmlRpcValueArray()))), written(XmlRpcValueArray()));
}

TEST(XmlRpcValueTest, StructLookupIgnoresCase) {
  XmlRpcValueStruct s;
  s.set("CallType", std::make_unique<XmlRpcValueInt>(1));
  ASSERT_NE(s.get("calltype"), nullptr);
  EXPECT_NE(s.getInt("CALLTYPE"), nullptr);
  EXPECT_EQ(s.getString("calltype"), nullptr);  // present, but not a string
  s.set("CALLTYPE", std::make_unique<XmlRpcValueString>("x"));
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s.members()[0].name, "CallType");  // the stored name stays
  EXPECT_EQ(s.getString("calltype")->value(), "x");
  EXPECT_EQ(s.get("other"), nullptr);
}

TEST(XmlRpcValueTest, CreateValueByName) {
  EXPECT_EQ(createValue("I4")->type(), kXmlRpcInt);
  EXPECT_EQ(createValue("Struct")->type(), kXmlRpcStruct);
  EXPECT_EQ(createValue("DATETIME.ISO8601")->type(), kXmlRpcDateTime);
  EXPECT_EQ(createValue("nil"), nullptr);
  EXPECT_EQ(xmlRpcTypeName(kXmlRpcBase64), "base64");
  EXPECT_EQ(xmlRpcTypeName(8), "");
}

TEST(XmlRpcValueTest, DeepNestingIsRefusedNotOverflowed) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "<value><array><data>";
  EXPECT_EQ(read(text), nullptr);
}

}  // namespace
}  // namespace telvane
