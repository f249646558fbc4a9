#include "telvane/xmlrpc/xmlrpc_method.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "telvane/protocol/session_callbacks.h"
#include "telvane/xmlrpc/ascii.h"
#include "telvane/xmlrpc/method_table.h"
#include "tests/telvane/xmlrpc/test_methods.h"

namespace telvane {
namespace {

using testing::TestCloseCall;
using testing::TestCreateCall;

std::string lines(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view p : parts) out.append(p).append("\r\n");
  return out + "\r\n";
}

std::string written(const XmlRpcMethod& m) {
  std::string out;
  EXPECT_TRUE(m.serialize(out));
  return out;
}

TEST(XmlRpcMethodTest, CloseCallText) {
  TestCloseCall close;
  close.setIdText(formatId(42));
  EXPECT_EQ(written(close),
            lines({"<?xml version=\"1.0\"?>", "<methodCall>",
                   "<methodName>Services.CallProcessingService.closecall</methodName>", "<params>",
                   "<param>", "<value><string>42</string></value>", "</param>", "</params>",
                   "</methodCall>"}));
  EXPECT_TRUE(close.expectsResponse());
}

TEST(XmlRpcMethodTest, UnknownMethodFaultText) {
  auto fault = makeUnknownMethodFault();
  EXPECT_EQ(fault->type(), kUnknownMethodType);
  EXPECT_FALSE(fault->expectsResponse());
  EXPECT_TRUE(fault->isFault());
  EXPECT_EQ(written(*fault),
            lines({"<?xml version=\"1.0\"?>", "<methodResponse>", "<fault>", "<value><struct>",
                   "<member>", "<name>faultCode</name>", "<value><int>1</int></value>", "</member>",
                   "<member>", "<name>faultString</name>",
                   "<value><string>Unknown XML RPC method</string></value>", "</member>",
                   "</struct></value>", "</fault>", "</methodResponse>"}));
}

TEST(XmlRpcMethodTest, OptionalParamsCloseUp) {
  TestCreateCall call;
  call.set(7, "system", "pbx:100");
  std::string text = written(call);
  EXPECT_EQ(text.find("\r\n\r\n"), text.size() - 4);
  EXPECT_TRUE(text.ends_with("</methodCall>\r\n\r\n"));
  EXPECT_NE(text.find("<param>\r\n<value><string>pbx:100</string></value>\r\n</param>\r\n"
                      "</params>"),
            std::string::npos);

  call.set(7, "system", "pbx:100", "", "alice");  // user name without display name
  call.setNumber(5);
  text = written(call);
  EXPECT_NE(text.find("pbx:100</string></value>\r\n</param>\r\n<param>\r\n<value><string>alice"
                      "</string></value>\r\n</param>\r\n<param>\r\n<value><int>5</int>"),
            std::string::npos);
}

TEST(XmlRpcMethodTest, MissingMandatoryWritesNothing) {
  TestCreateCall call;
  call.setIdText("1");
  std::string out = "before";
  EXPECT_FALSE(call.serialize(out));
  EXPECT_EQ(out, "before");
  TestCloseCall close;
  EXPECT_FALSE(close.serialize(out));
  XmlRpcResponseMethod response(kCloseCall);
  EXPECT_FALSE(response.serialize(out));
  FaultResponseMethod fault(kCloseCall);
  EXPECT_FALSE(fault.serialize(out));
  EXPECT_EQ(out, "before");
}

TEST(XmlRpcMethodTest, SerializeReservesAndAppends) {
  TestCloseCall close;
  close.setIdText("1");
  std::string out;
  ASSERT_TRUE(close.serialize(out));
  EXPECT_GE(out.capacity(), 1024u);
  const std::size_t first = out.size();
  ASSERT_TRUE(close.serialize(out));
  EXPECT_EQ(out.size(), 2 * first);
}

TEST(XmlRpcMethodTest, PlainResponseCarriesTheId) {
  TestCloseCall close;
  auto response = close.createResponse(false);
  EXPECT_EQ(response->type(), kCloseCall);
  EXPECT_FALSE(response->isFault());
  EXPECT_FALSE(response->expectsResponse());
  EXPECT_EQ(response->id(), nullptr);
  response->setId(0);
  EXPECT_EQ(response->id()->value(), "0");
  response->setId(123);
  EXPECT_EQ(written(*response), lines({"<?xml version=\"1.0\"?>", "<methodResponse>", "<params>",
                                       "<param>", "<value><string>123</string></value>", "</param>",
                                       "</params>", "</methodResponse>"}));
  auto fault = close.createResponse(true);
  EXPECT_TRUE(fault->isFault());
  EXPECT_EQ(fault->type(), kCloseCall);
}

TEST(XmlRpcMethodTest, SetFaultReplacesMembers) {
  FaultResponseMethod fault(0);
  fault.setFault(5, "first");
  fault.setFault(6, "second");
  ASSERT_EQ(fault.fault()->size(), 2u);
  EXPECT_EQ(fault.faultCode(), 6);
  EXPECT_EQ(fault.faultString(), "second");
}

class FailureLog : public NullSessionCallbacks {
 public:
  int calls = 0;
  CallId id = 99;
  int code = 0;
  std::string text;
  void onRequestFailed(CallId i, int c, const std::string& t) override {
    ++calls;
    id = i;
    code = c;
    text = t;
  }
};

TEST(XmlRpcMethodTest, FaultDispatchNeedsAnIntCode) {
  FailureLog log;
  FaultResponseMethod fault(0);
  fault.dispatch(log);
  EXPECT_EQ(log.calls, 0);

  fault.setFault(404, "gone");
  fault.dispatch(log);
  EXPECT_EQ(log.calls, 1);
  EXPECT_EQ(log.id, 0u);
  EXPECT_EQ(log.code, 404);
  EXPECT_EQ(log.text, "gone");

  fault.setIdText("1a");
  TestCloseCall close;
  auto parsed = close.parseResponse(
      "<methodResponse><fault><value><struct><member><name>FAULTCODE</name><value><i4>3</i4>"
      "</value></member></struct></value></fault></methodResponse>");
  ASSERT_NE(parsed, nullptr);
  parsed->setIdText("1a");
  parsed->dispatch(log);
  EXPECT_EQ(log.calls, 2);
  EXPECT_EQ(log.id, 59u);
  EXPECT_EQ(log.code, 3);
  EXPECT_EQ(log.text, "");  // no faultString member

  auto stringCode = close.parseResponse(
      "<methodResponse><fault><value><struct><member><name>faultCode</name><value><string>3"
      "</string></value></member></struct></value></fault></methodResponse>");
  ASSERT_NE(stringCode, nullptr);
  stringCode->dispatch(log);
  EXPECT_EQ(log.calls, 2);
}

TEST(MethodTableTest, NamesAndLookup) {
  EXPECT_EQ(methodName(kCreateCall), "Services.CallProcessingService.createcall");
  EXPECT_EQ(methodName(kGetSystemInfo), "Services.SystemService.getsysteminfo");
  EXPECT_EQ(methodName(kProcess), "Services.CallProcessingService.process");
  EXPECT_EQ(methodName(41), "Services.CallProcessingService.streamplayed");
  EXPECT_EQ(methodName(42), "Services.CallProcessingService.stopstream");
  EXPECT_EQ(methodName(43), "");
  EXPECT_EQ(methodName(-1), "");
  EXPECT_EQ(findMethodType("services.callprocessingservice.CREATECALL"), kCreateCall);
  EXPECT_EQ(findMethodType("Services.SystemService.configurationupdate"), 31);
  EXPECT_EQ(findMethodType("Services.CallProcessingService.nosuch"), -1);
  EXPECT_EQ(findMethodType(""), -1);
  EXPECT_EQ(findMethodType(std::string(200, 'x')), -1);
}

TEST(MethodTableTest, EveryRowIsDistinctAndFindsItself) {
  std::set<std::string> lowered;
  for (int type = 0; type < kMethodCount; ++type) {
    std::string name(methodName(type));
    ASSERT_TRUE(name.starts_with("Services.CallProcessingService.") ||
                name.starts_with("Services.SystemService."))
        << name;
    EXPECT_EQ(findMethodType(name), type);
    for (char& c : name) c = asciiLower(c);
    lowered.insert(name);
  }
  EXPECT_EQ(lowered.size(), std::size_t(kMethodCount));
}

}  // namespace
}  // namespace telvane
