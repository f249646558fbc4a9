#include "tools/wire/wire_json.h"

#include <gtest/gtest.h>

#include <string>

#include "telvane/xmlrpc/method_table.h"

namespace telvane::tools {
namespace {

std::string encoded(std::string_view json) {
  std::string wire, error;
  EXPECT_TRUE(encodeMessage(json, wire, error)) << error;
  return wire;
}

std::string encodeError(std::string_view json) {
  std::string wire, error;
  EXPECT_FALSE(encodeMessage(json, wire, error)) << json;
  EXPECT_FALSE(error.empty());
  return error;
}

TEST(WireJsonTest, EncodesTheWorkedCloseCall) {
  EXPECT_EQ(encoded(R"({"kind":"call","methodName":"Services.CallProcessingService.closecall",
                        "params":[{"type":"string","value":"42"}]})"),
            "<?xml version=\"1.0\"?>\r\n<methodCall>\r\n<methodName>Services.CallProcessingService."
            "closecall</methodName>\r\n<params>\r\n<param>\r\n<value><string>42</string></value>"
            "\r\n</param>\r\n</params>\r\n</methodCall>\r\n\r\n");
}

TEST(WireJsonTest, DecodeEncodeRoundTripsEveryShape) {
  const std::string shapes[] = {
      R"({"kind":"call","methodName":"Services.CallProcessingService.process","type":14,)"
      R"("params":[{"type":"struct","value":[{"name":"From","value":{"type":"string","value":)"
      R"("pbx:1"}},{"name":"From","value":{"type":"int","value":2}}]},{"type":"string",)"
      R"("value":"9"}]})",
      R"({"kind":"response","params":[{"type":"array","value":[{"type":"double","value":1.5},)"
      R"({"type":"boolean","value":false},{"type":"dateTime.iso8601","value":"x"},)"
      R"({"type":"base64","value":"QQ=="}]}]})",
      R"({"kind":"response","params":[]})",
      R"({"kind":"fault","faultCode":-3,"faultString":"a<b"})",
  };
  for (const std::string& shape : shapes) {
    EXPECT_EQ(decodeMessage(encoded(shape)).dump(), Json::parse(shape).dump());
  }
}

TEST(WireJsonTest, EveryTableNameEncodesWithItsType) {
  for (int type = 0; type < kMethodCount; ++type) {
    Json call = {{"kind", "call"}, {"methodName", std::string(methodName(type))}};
    Json back = decodeMessage(encoded(call.dump()));
    EXPECT_EQ(back["type"], type);
    EXPECT_EQ(back["methodName"], methodName(type));
  }
}

TEST(WireJsonTest, DecodesWhatIsNotInTheTable) {
  Json unknown = decodeMessage(
      "<methodCall><methodName>system.listMethods</methodName><params/></methodCall>");
  EXPECT_EQ(unknown.dump(),
            R"({"kind":"call","methodName":"system.listMethods","type":null,"params":[]})");
  Json badParams = decodeMessage(
      "<methodCall><methodName>x</methodName><params><param><value>7</value></param></params>"
      "</methodCall>");
  EXPECT_TRUE(badParams["params"].is_null());
  EXPECT_EQ(decodeMessage("").dump(), R"({"kind":"none"})");
  EXPECT_EQ(decodeMessage("<methodResponse><params><param><value>7</value></param></params>"
                          "</methodResponse>")
                .dump(),
            R"({"kind":"none"})");
  EXPECT_EQ(decodeMessage("garbage <<>>").dump(), R"({"kind":"none"})");
}

TEST(WireJsonTest, BytesBecomeValidUtf8) {
  EXPECT_EQ(bytesToUtf8("plain"), "plain");
  EXPECT_EQ(bytesToUtf8("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\x9e"),
            "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\x9e");
  EXPECT_EQ(bytesToUtf8("\xe9"), "\xc3\xa9");              // lone byte 0xE9 becomes U+00E9
  EXPECT_EQ(bytesToUtf8("\xc0\xaf"), "\xc3\x80\xc2\xaf");  // overlong form is not UTF-8
  EXPECT_EQ(bytesToUtf8("\xed\xa0\x80"), "\xc3\xad\xc2\xa0\xc2\x80");  // surrogate
  EXPECT_EQ(bytesToUtf8("\xe2\x82"), "\xc3\xa2\xc2\x82");              // cut short
  Json v = decodeMessage(
      "<methodResponse><params><param><value><string>\xff</string></value></param></params>"
      "</methodResponse>");
  EXPECT_EQ(v["params"][0]["value"], "\xc3\xbf");
}

TEST(WireJsonTest, RejectsBadInputWithAReason) {
  encodeError("{not json");
  encodeError(R"([1,2])");
  encodeError(R"({"kind":"none"})");
  encodeError(R"({"kind":"call","methodName":"Services.CallProcessingService.nosuch"})");
  encodeError(R"({"kind":"call","params":[]})");
  encodeError(R"({"kind":"response","params":{}})");
  encodeError(R"({"kind":"response","params":[{"type":"i4","value":1}]})");
  encodeError(R"({"kind":"response","params":[{"type":"int","value":2147483648}]})");
  encodeError(R"({"kind":"response","params":[{"type":"int","value":1.5}]})");
  encodeError(R"({"kind":"response","params":[{"type":"boolean","value":1}]})");
  encodeError(R"({"kind":"response","params":[{"type":"string"}]})");
  encodeError(R"({"kind":"response","params":[{"type":"struct","value":[{"value":1}]}]})");
  encodeError(R"({"kind":"fault","faultCode":"1","faultString":"x"})");
  std::string deep = R"({"type":"int","value":1})";
  for (int i = 0; i < 400; ++i) deep = R"({"type":"array","value":[)" + deep + "]}";
  EXPECT_EQ(encodeError(R"({"kind":"response","params":[)" + deep + "]}"),
            "values nested too deeply");
}

TEST(WireJsonTest, SplitsAStream) {
  const std::string one = encoded(R"({"kind":"response","params":[]})");
  const std::string two = encoded(R"({"kind":"fault","faultCode":1,"faultString":"x"})");
  EXPECT_EQ(splitStream(one + two + "<metho"),
            "{\"kind\":\"response\",\"params\":[]}\n"
            "{\"kind\":\"fault\",\"faultCode\":1,\"faultString\":\"x\"}\n"
            "{\"kind\":\"incomplete\",\"bytes\":6}\n");
  EXPECT_EQ(splitStream(""), "");
}

}  // namespace
}  // namespace telvane::tools
