// The connection's decisions: login texts, join mode, own identity, reconnect steps.
#include <gtest/gtest.h>

#include <vector>

#include "ringova_outlook/frontend/connection_rules.h"
#include "tools/pbxsim/pbx_simulator.h"

namespace ringova {
namespace {

TEST(ConnectionRulesTest, TimestampHasTheLoginPattern) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 2;
  t.tm_mday = 5;
  t.tm_wday = 4;
  t.tm_hour = 7;
  t.tm_min = 3;
  t.tm_sec = 9;
  EXPECT_EQ(LoginTimestamp(t, "C"), "Thu Mar 5 07:03:09 2026");
  EXPECT_EQ(LoginTimestamp(t, "no_such_locale"), "Thu Mar 5 07:03:09 2026");
}

TEST(ConnectionRulesTest, AuthenticationIsWhatThePbxExpects) {
  const std::string stamp = "Thu Mar 5 07:03:09 2026";
  EXPECT_EQ(AuthenticationText("201", "pw201", stamp, 1252),
            telvane::tools::simAuthenticator("201", "pw201", stamp));
  EXPECT_EQ(AuthenticationText("", "", "", 1252), "d41d8cd98f00b204e9800998ecf8427e");
  // A text the code page cannot write is named, not digested.
  std::string unmappable;
  EXPECT_EQ(AuthenticationText("201", "p\u00e4ss", stamp, 1251, &unmappable), std::nullopt);
  EXPECT_EQ(unmappable, "password");
  EXPECT_EQ(AuthenticationText("\u0416", "pw", stamp, 1252, &unmappable), std::nullopt);
  EXPECT_EQ(unmappable, "user name");
}

TEST(ConnectionRulesTest, SeparateCallsFromVersion5_1_26On) {
  for (const char* v : {"PBX-5.1.26-x", "a-5.2.0-b", "a-6.0.0-b", "a-5.1.255-b"}) {
    EXPECT_FALSE(UseCallForwardFor(v)) << v;
  }
  for (const char* v :
       {"PBX-5.1.25-x", "a-5.0.40-b", "a-4.9.99-b", "5.1.26", "a-5.1.26", "a-5.1.26-b-c", "a-5.1-b",
        "a-5.1.26.1-b", "a-5.x.26-b", "a-5.1.256-b", "a-5.1.-1-b", "", "--", "a-5..26-b"}) {
    EXPECT_TRUE(UseCallForwardFor(v)) << v;
  }
}

TEST(ConnectionRulesTest, OwnIdentityComesFromTheUsersRecord) {
  const std::string list = "200~Reception~rec@pbx~0~0~201~Ann Smith~ann@pbx~0~0~";
  OwnIdentity own = FindOwnIdentity(list, "201");
  EXPECT_TRUE(own.found);
  EXPECT_EQ(own.displayName, "Ann Smith");
  EXPECT_EQ(own.authUser, "ann");

  EXPECT_FALSE(FindOwnIdentity(list, "999").found);
  // Only the first field of a record is an extension.
  EXPECT_FALSE(FindOwnIdentity(list, "Ann Smith").found);
  OwnIdentity noAt = FindOwnIdentity("201~Ann~sip-without-at~0~0", "201");
  EXPECT_TRUE(noAt.found);
  EXPECT_EQ(noAt.authUser, "");
  EXPECT_EQ(FindOwnIdentity("201~Ann", "201").displayName, "Ann");
  EXPECT_FALSE(FindOwnIdentity("", "").found);
  EXPECT_FALSE(FindOwnIdentity("~~~~~~~", "x").found);
}

TEST(ConnectionRulesTest, ReconnectWaitIsCutIntoStepsOfAtMostAMinute) {
  auto steps = [](int seconds) {
    ReconnectSteps r;
    r.Program(seconds);
    std::vector<int> intervals{r.intervalMs};
    while (r.Next()) intervals.push_back(r.intervalMs);
    return intervals;
  };
  EXPECT_EQ(steps(45), std::vector<int>{45000});
  EXPECT_EQ(steps(60), std::vector<int>{60000});
  EXPECT_EQ(steps(150), (std::vector<int>{60000, 60000, 30000}));
  EXPECT_EQ(steps(600), std::vector<int>(10, 60000));
}

}  // namespace
}  // namespace ringova
