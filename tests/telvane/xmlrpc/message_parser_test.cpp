#include "telvane/xmlrpc/message_parser.h"

#include <gtest/gtest.h>

#include <string>

#include "telvane/xmlrpc/generic_method.h"
#include "telvane/xmlrpc/method_table.h"
#include "tests/telvane/xmlrpc/test_methods.h"

namespace telvane {
namespace {

using testing::TestCloseCall;
using testing::TestCreateCall;
using testing::TestProcess;
using Kind = ParsedCall::Kind;

std::string call(std::string_view name, std::string_view params) {
  return "<?xml version=\"1.0\"?>\r\n<methodCall>\r\n<methodName>" + std::string(name) +
         "</methodName>\r\n<params>\r\n" + std::string(params) + "</params>\r\n</methodCall>";
}

std::string param(std::string_view value) {
  return "<param>\r\n" + std::string(value) + "</param>\r\n";
}

TEST(ParseMethodCallTest, RoundTripsThroughTheTableClasses) {
  TestCreateCall out;
  out.set(77, "sys<tem>", "pbx:100", "Ringova", "alice");
  out.setNumber(9);
  std::string text;
  ASSERT_TRUE(out.serialize(text));
  text.resize(text.size() - 4);  // the framer strips the terminator

  ParsedCall parsed = parseMethodCall(text, testing::testFactory);
  ASSERT_EQ(parsed.kind, Kind::kCall);
  auto* in = dynamic_cast<TestCreateCall*>(parsed.method.get());
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(in->idNumber(), 77u);
  EXPECT_EQ(in->caller(), "sys<tem>");
  EXPECT_EQ(in->user(), "alice");
  EXPECT_EQ(in->number(), 9);
}

TEST(ParseMethodCallTest, LeftOutOptionalInTheMiddleShiftsTheRest) {
  // Without a display name the user name is written fourth, so it is read back as the display
  // name and the number meets the user-name row: the call does not match its table.
  TestCreateCall out;
  out.set(77, "system", "pbx:100", "", "alice");
  out.setNumber(9);
  std::string text;
  ASSERT_TRUE(out.serialize(text));
  EXPECT_EQ(parseMethodCall(text, testing::testFactory).kind, Kind::kUnknown);
}

TEST(ParseMethodCallTest, NamesAndElementsIgnoreCase) {
  ParsedCall parsed = parseMethodCall(
      "<METHODCALL><MethodName>services.callprocessingservice.CLOSECALL</MethodName><PARAMS>"
      "<Param><VALUE><STRING>5</STRING></VALUE></Param></PARAMS></METHODCALL>",
      testing::testFactory);
  ASSERT_EQ(parsed.kind, Kind::kCall);
  EXPECT_EQ(parsed.method->type(), kCloseCall);
  EXPECT_EQ(parsed.method->idNumber(), 5u);
  EXPECT_NE(dynamic_cast<TestCloseCall*>(parsed.method.get()), nullptr);
}

TEST(ParseMethodCallTest, UnknownNameOrWrongParamsGiveTheMarker) {
  EXPECT_EQ(parseMethodCall(call("Services.CallProcessingService.nosuch", "")).kind,
            Kind::kUnknown);
  // An int where the id string is expected.
  EXPECT_EQ(parseMethodCall(call("Services.CallProcessingService.closecall",
                                 param("<value><int>5</int></value>")),
                            testing::testFactory)
                .kind,
            Kind::kUnknown);
  // Missing mandatory param, and a param beyond the table.
  EXPECT_EQ(
      parseMethodCall(call("Services.CallProcessingService.closecall", ""), testing::testFactory)
          .kind,
      Kind::kUnknown);
  const std::string two =
      param("<value><string>1</string></value>") + param("<value><string>2</string></value>");
  EXPECT_EQ(
      parseMethodCall(call("Services.CallProcessingService.closecall", two), testing::testFactory)
          .kind,
      Kind::kUnknown);
}

TEST(ParseMethodCallTest, OptionalParamsMayBeMissingAtTheEnd) {
  const std::string three = param("<value><string>1</string></value>") +
                            param("<value><string>a</string></value>") +
                            param("<value><string>b</string></value>");
  ParsedCall parsed = parseMethodCall(call("Services.CallProcessingService.createcall", three),
                                      testing::testFactory);
  ASSERT_EQ(parsed.kind, Kind::kCall);
  auto* in = static_cast<TestCreateCall*>(parsed.method.get());
  EXPECT_EQ(in->user(), "");
  EXPECT_EQ(in->number(), -1);
}

TEST(ParseMethodCallTest, IdMayComeSecond) {
  const std::string params =
      param(
          "<value><struct>\r\n<member>\r\n<name>From</name>\r\n<value><string>pbx:1</string>"
          "</value>\r\n</member>\r\n</struct></value>\r\n") +
      param("<value><string>31</string></value>\r\n");
  ParsedCall parsed =
      parseMethodCall(call("Services.CallProcessingService.process", params), testing::testFactory);
  ASSERT_EQ(parsed.kind, Kind::kCall);
  auto* in = static_cast<TestProcess*>(parsed.method.get());
  EXPECT_EQ(in->idNumber(), 31u);
  ASSERT_NE(in->parties(), nullptr);
  EXPECT_EQ(in->parties()->getString("from")->value(), "pbx:1");
  std::string again;
  ASSERT_TRUE(in->serialize(again));
  EXPECT_LT(again.find("<struct>"), again.find("<string>31</string>"));
}

TEST(ParseMethodCallTest, NotACall) {
  EXPECT_EQ(parseMethodCall("").kind, Kind::kNone);
  EXPECT_EQ(parseMethodCall("<methodResponse><params/></methodResponse>").kind, Kind::kNone);
  // No "params" element: not a call (the session then treats it as a response).
  EXPECT_EQ(parseMethodCall("<methodCall><methodName>Services.CallProcessingService.closecall"
                            "</methodName></methodCall>")
                .kind,
            Kind::kNone);
}

TEST(ParseMethodCallTest, EveryTableNameMakesARequest) {
  for (int type = 0; type < kMethodCount; ++type) {
    auto method = createMethod(methodName(type));
    ASSERT_NE(method, nullptr);
    EXPECT_EQ(method->type(), type);
    EXPECT_TRUE(method->expectsResponse());
    std::string text;
    ASSERT_TRUE(method->serialize(text));
    ParsedCall parsed = parseMethodCall(text.substr(0, text.size() - 4));
    ASSERT_EQ(parsed.kind, Kind::kCall);
    EXPECT_EQ(parsed.method->type(), type);
  }
  EXPECT_EQ(createMethod("Services.CallProcessingService."), nullptr);
  // The crossed rows: each name keeps its own type.
  EXPECT_EQ(createMethod("Services.CallProcessingService.streamplayed")->type(), 41);
  EXPECT_EQ(createMethod("Services.CallProcessingService.stopstream")->type(), 42);
}

TEST(ParseResponseTest, PlainFaultOrNothing) {
  TestCloseCall request;
  auto plain = request.parseResponse(
      "<?xml version=\"1.0\"?>\r\n<methodResponse>\r\n<params>\r\n<param>\r\n"
      "<value><string>123</string></value>\r\n</param>\r\n</params>\r\n</methodResponse>");
  ASSERT_NE(plain, nullptr);
  EXPECT_FALSE(plain->isFault());
  EXPECT_EQ(plain->idNumber(), 123u);

  std::string faultText;
  makeUnknownMethodFault()->serialize(faultText);
  faultText.resize(faultText.size() - 4);
  auto fault = request.parseResponse(faultText);
  ASSERT_NE(fault, nullptr);
  ASSERT_TRUE(fault->isFault());
  EXPECT_EQ(static_cast<FaultResponseMethod&>(*fault).faultCode(), 1);
  EXPECT_EQ(static_cast<FaultResponseMethod&>(*fault).faultString(), "Unknown XML RPC method");

  EXPECT_EQ(request.parseResponse("<methodResponse><params><param><value><int>1</int></value>"
                                  "</param></params></methodResponse>"),
            nullptr);
  EXPECT_EQ(request.parseResponse("<methodResponse><other/></methodResponse>"), nullptr);
  EXPECT_EQ(request.parseResponse("<methodCall/>"), nullptr);
  EXPECT_EQ(request.parseResponse("<methodResponse><fault><value><string>x</string></value>"
                                  "</fault></methodResponse>"),
            nullptr);
}

TEST(ParseResponseTest, GenericResponseKeepsEveryResult) {
  GenericRequestMethod request(kGetSystemInfo);
  auto response = request.parseResponse(
      "<methodResponse><params><param><value><int>1</int></value></param><param><value>"
      "<struct></struct></value></param></params></methodResponse>");
  ASSERT_NE(response, nullptr);
  const auto& results = static_cast<GenericResponseMethod&>(*response).results();
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0]->type(), kXmlRpcInt);
  EXPECT_EQ(results[1]->type(), kXmlRpcStruct);
  std::string text;
  ASSERT_TRUE(response->serialize(text));
  EXPECT_EQ(text,
            "<?xml version=\"1.0\"?>\r\n<methodResponse>\r\n<params>\r\n<param>\r\n<value><int>1"
            "</int></value>\r\n</param>\r\n<param>\r\n<value><struct>\r\n</struct></value>\r\n"
            "</param>\r\n</params>\r\n</methodResponse>\r\n\r\n");
}

}  // namespace
}  // namespace telvane
