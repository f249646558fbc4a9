#include "telvane/protocol/login.h"

#include <gtest/gtest.h>

#include "telvane/protocol/session_callbacks.h"
#include "tests/telvane/protocol/golden_texts.h"
#include "tests/telvane/protocol/message_checks.h"

namespace telvane {
namespace {

using namespace protocol_testing;

struct LoginCalls : NullSessionCallbacks {
  std::vector<std::string> seen;  // callback name followed by its text arguments
  void onAuthenticate(const std::string& user, const std::string& password) override {
    seen = {"onAuthenticate", user, password};
  }
  void onSAuthenticate(const std::string& user, const std::string& timestamp,
                       const std::string& authenticator) override {
    seen = {"onSAuthenticate", user, timestamp, authenticator};
  }
  void onGetExtension(const std::string& user) override { seen = {"onGetExtension", user}; }
  void onGetExtensionResponse(bool found, const std::string& extension) override {
    seen = {"onGetExtensionResponse", found ? "found" : "missing", extension};
  }
};

TEST(LoginRequests, GoldenTextsParseBackAndDispatch) {
  AuthenticateMethod auth;
  auth.setCredentials("ann", "a&b");
  const std::string authText = golden::authenticate();
  EXPECT_EQ(wire(auth), authText);

  SAuthenticateMethod sauth;
  sauth.setCredentials("ann", "20261209T054000", "9f86d081");
  const std::string sauthText = golden::sAuthenticate();
  EXPECT_EQ(wire(sauth), sauthText);

  GetExtensionMethod ext;
  ext.setUser("ann");
  const std::string extText = golden::getExtension();
  EXPECT_EQ(wire(ext), extText);

  LoginCalls calls;
  parseAs<AuthenticateMethod>(authText)->dispatch(calls);
  EXPECT_EQ(calls.seen, (std::vector<std::string>{"onAuthenticate", "ann", "a&b"}));
  parseAs<SAuthenticateMethod>(sauthText)->dispatch(calls);
  EXPECT_EQ(calls.seen,
            (std::vector<std::string>{"onSAuthenticate", "ann", "20261209T054000", "9f86d081"}));
  parseAs<GetExtensionMethod>(extText)->dispatch(calls);
  EXPECT_EQ(calls.seen, (std::vector<std::string>{"onGetExtension", "ann"}));
}

TEST(LoginRequests, UnsetParamsWriteNothing) {
  AuthenticateMethod auth;
  std::string out = "kept";
  EXPECT_FALSE(auth.serialize(out));
  SAuthenticateMethod sauth;
  EXPECT_FALSE(sauth.serialize(out));
  GetExtensionMethod ext;
  EXPECT_FALSE(ext.serialize(out));
  EXPECT_EQ(out, "kept");
}

TEST(LoginRequests, MismatchedParamsAreUnknownCalls) {
  EXPECT_TRUE(rejected(callText("authenticate", {str("ann"), i4(7)})));                // type
  EXPECT_TRUE(rejected(callText("authenticate", {str("ann")})));                       // missing
  EXPECT_TRUE(rejected(callText("authenticate", {str("ann"), str("pw"), str("x")})));  // extra
  EXPECT_TRUE(rejected(callText("sauthenticate", {str("ann"), str("ts")})));
  EXPECT_TRUE(rejected(callText("getextension", {str("ann"), str("more")})));
  EXPECT_TRUE(rejected(callText("getextension", {boolean(true)})));
}

TEST(LoginResponses, FlagAndTextReadAndWrite) {
  AuthenticateResponseMethod ok;
  ok.setResult(true, "Welcome");
  const std::string okText = golden::loginAnswer();
  EXPECT_EQ(wire(ok), okText);

  // Both login forms are answered by the same class, of type 16.
  SAuthenticateMethod sauth;
  auto read = responseAs<AuthenticateResponseMethod>(sauth, okText);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->type(), kAuthenticate);
  EXPECT_TRUE(read->accepted());
  EXPECT_EQ(read->text(), "Welcome");
  LoginCalls calls;
  read->dispatch(calls);
  EXPECT_TRUE(calls.seen.empty());

  AuthenticateMethod auth;
  auto refused = responseAs<AuthenticateResponseMethod>(
      auth, responseText({boolean(false), str("Bad password")}));
  ASSERT_NE(refused, nullptr);
  EXPECT_FALSE(refused->accepted());

  auto fault = responseAs<FaultResponseMethod>(auth, faultText(3, "Locked"));
  ASSERT_NE(fault, nullptr);
  EXPECT_EQ(fault->faultCode(), 3);

  // A string where the flag belongs is not a login answer (the fault class takes any plain
  // string result); a missing text is neither answer nor fault.
  EXPECT_EQ(responseAs<AuthenticateResponseMethod>(auth, responseText({str("1"), str("Hi")})),
            nullptr);
  EXPECT_EQ(auth.parseResponse(unframed(responseText({boolean(true)}))), nullptr);
}

TEST(LoginResponses, GetExtensionAnswerDispatches) {
  GetExtensionMethod ext;
  GetExtensionResponseMethod answer;
  answer.setResult(true, "101");
  auto read = responseAs<GetExtensionResponseMethod>(ext, wire(answer));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->type(), kGetExtension);
  LoginCalls calls;
  read->dispatch(calls);
  EXPECT_EQ(calls.seen, (std::vector<std::string>{"onGetExtensionResponse", "found", "101"}));
}

}  // namespace
}  // namespace telvane
