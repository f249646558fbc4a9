#include "tools/wire/wire_dispatch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "telvane/protocol/method_factory.h"
#include "telvane/xmlrpc/method_table.h"
#include "tests/telvane/protocol/wire_texts.h"

namespace telvane::tools {
namespace {

using namespace telvane::protocol_testing;

TEST(WireStrictDecode, NamesTheClassOrMarksTheCallUnknown) {
  const Json known = decodeStrict(callText("getsysteminfo", {str("900")}, kSystemService));
  EXPECT_EQ(known["kind"], "call");
  EXPECT_EQ(known["class"], "GetSystemInfoMethod");
  EXPECT_EQ(known["type"], kGetSystemInfo);

  EXPECT_EQ(decodeStrict(callText("authenticate", {str("ann"), i4(1)})),
            Json({{"kind", "unknown"}}));
  const std::string outside =
      "<?xml version=\"1.0\"?>\r\n<methodCall>\r\n<methodName>Services.Nope.x</methodName>\r\n"
      "<params>\r\n</params>\r\n</methodCall>\r\n\r\n";
  EXPECT_EQ(decodeStrict(outside), Json({{"kind", "unknown"}}));
  EXPECT_EQ(decodeStrict(responseText({str("1")}))["kind"], "response");
}

TEST(WireStrictDecode, EveryTableRowHasItsOwnClass) {
  for (int type = 0; type < kMethodCount; ++type) {
    std::unique_ptr<XmlRpcRequestMethod> method = createPbxMethod(methodName(type));
    ASSERT_NE(method, nullptr);
    const std::string name = className(*method);
    EXPECT_TRUE(name.ends_with("Method")) << name;
    EXPECT_NE(name, "GenericRequestMethod") << methodName(type);
  }
}

TEST(WireDispatch, ShowsWhatANotificationDelivers) {
  DispatchResult state = dispatchCall(callText("callstatechanged", {str("42"), i4(3), i4(486)}));
  ASSERT_TRUE(state.ok) << state.error;
  EXPECT_EQ(
      state.result.dump(),
      R"({"callback":"onCallStateChanged","args":{"callId":"42","state":3,"errorCode":486}})");

  DispatchResult mail = dispatchCall(
      callText("mailarrived", {str("9"), structOf({{"From", str("5551234")},
                                                   {"Time", dateTime("2026-12-09 05:40:00")},
                                                   {"Duration", i4(30)},
                                                   {"MailID", i4(4)}})}));
  ASSERT_TRUE(mail.ok) << mail.error;
  EXPECT_EQ(mail.result.dump(),
            R"({"callback":"onMailArrived","args":{"mail":{"subscriptionId":"9",)"
            R"("from":"tel:5551234","time":"2026-12-09 05:40:00","duration":30,"mailId":4}}})");

  DispatchResult list = dispatchCall(
      callText("extlistarrived", {str("6"), arrayOf({structOf({{"Ext", str("101")}})})}));
  ASSERT_TRUE(list.ok);
  EXPECT_EQ(list.result["callback"], "onExtListArrived");
  EXPECT_EQ(list.result["args"]["subscriptionId"], "6");
  EXPECT_EQ(list.result["args"]["extensions"][0]["extension"], "101");
  EXPECT_EQ(list.result["args"]["extensions"][0]["line"], -1);

  DispatchResult upload = dispatchCall(
      callText("beginfiletransfer", {str("18446744073709551615"), str("101"), str("a.wav"), i4(9)},
               kSystemService));
  ASSERT_TRUE(upload.ok);
  EXPECT_EQ(upload.result["args"]["requestId"], "18446744073709551615");

  // A dialog struct without "CallType": the class delivers nothing.
  DispatchResult none =
      dispatchCall(callText("dlgarrived", {str("3"), arrayOf({structOf({{"Dir", i4(1)}})})}));
  ASSERT_TRUE(none.ok);
  EXPECT_EQ(none.result, Json({{"callback", nullptr}}));
}

TEST(WireDispatch, RejectsWhatIsNotAPbxCall) {
  EXPECT_FALSE(dispatchCall("hello").ok);
  EXPECT_FALSE(dispatchCall(responseText({str("1")})).ok);
  DispatchResult unknown = dispatchCall(callText("prsarrived", {str("4"), i4(1)}));
  EXPECT_FALSE(unknown.ok);
  EXPECT_FALSE(unknown.error.empty());
}

TEST(WireDispatch, ResponsesAreReadAsTheAnswerToTheNamedMethod) {
  const std::string answer = responseText({str("77"), boolean(true), i4(0)});
  for (std::string_view name :
       {"subscribe", "SUBSCRIBE", "Services.CallProcessingService.subscribe"}) {
    DispatchResult r = dispatchResponse(name, answer);
    ASSERT_TRUE(r.ok) << name << ": " << r.error;
    EXPECT_EQ(r.result.dump(), R"({"callback":"onSubscribeResponse","args":{"subscriptionId":"77",)"
                               R"("confirmed":true,"errorCode":0}})");
  }
  DispatchResult fault = dispatchResponse("getsysteminfo", faultText(500, "Busy"));
  ASSERT_TRUE(fault.ok);
  EXPECT_EQ(fault.result["callback"], "onRequestFailed");
  EXPECT_EQ(fault.result["args"]["code"], 500);

  DispatchResult quiet =
      dispatchResponse("getsysteminfo", responseText({str("1"), str("PBX"), str("5.2")}));
  ASSERT_TRUE(quiet.ok);
  EXPECT_EQ(quiet.result, Json({{"callback", nullptr}}));

  EXPECT_FALSE(dispatchResponse("subscribe", responseText({boolean(true)})).ok);
  EXPECT_FALSE(dispatchResponse("nosuchmethod", answer).ok);
}

// The program itself: output on stdout, status 2 and a message on stderr for bad input.
int runWire(const std::string& args, const std::string& input, std::string& out) {
  const std::string path = ::testing::TempDir() + "wire_dispatch_input.txt";
  std::ofstream(path, std::ios::binary) << input;
  const std::string command =
      std::string("'") + TELVANE_WIRE_BIN + "' " + args + " < '" + path + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(WireProgram, StrictDecodeAndDispatchCommands) {
  std::string out;
  EXPECT_EQ(
      runWire("decode --strict", callText("getsysteminfo", {str("900")}, kSystemService), out), 0)
      << out;
  EXPECT_NE(out.find(R"("class":"GetSystemInfoMethod")"), std::string::npos) << out;

  out.clear();
  EXPECT_EQ(runWire("dispatch", callText("prsarrived", {str("4"), boolean(true)}), out), 0);
  EXPECT_EQ(out, R"({"callback":"onPrsArrived","args":{"subscriptionId":"4","doNotDisturb":true}})"
                 "\n");

  out.clear();
  EXPECT_EQ(runWire("dispatch --response-to getextension",
                    responseText({boolean(true), str("101")}), out),
            0);
  EXPECT_EQ(out, R"({"callback":"onGetExtensionResponse","args":{"found":true,"extension":"101"}})"
                 "\n");

  out.clear();
  EXPECT_EQ(runWire("dispatch", "not xml at all", out), 2);
  EXPECT_NE(out.find("telvane-wire"), std::string::npos);
  out.clear();
  EXPECT_EQ(runWire("dispatch --response-to subscribe", "<methodResponse/>", out), 2);
  out.clear();
  EXPECT_EQ(runWire("dispatch --response-to", "", out), 2);
}

}  // namespace
}  // namespace telvane::tools
