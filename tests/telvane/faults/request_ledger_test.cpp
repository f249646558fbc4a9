// The checker itself: a fault test is only as good as what it refuses.
#include "tests/telvane/faults/request_ledger.h"

#include <gtest/gtest.h>

namespace telvane::testing {
namespace {

TEST(RequestLedgerTest, AcceptsOneEndingPerRequest) {
  RequestLedger ledger;
  ledger.expect("11", "CallStateChanged 11 0");
  ledger.expect("12", "SubscriptionConfirmed 12 true 0");
  ledger.expect("13", "CallStateChanged 13 0");
  ledger.expect("13", "CallStateChanged 13 3");  // its close, same ID
  ledger.expect("14", "CallStateChanged 14 0");
  ledger.returned(false);
  const std::vector<std::string> events = {"CallStateChanged 11 0",
                                           "RequestFailed 12 100 Request timeout",
                                           "CallStateChanged 13 0",
                                           "RequestFailed 13 102 Connection closed remotely",
                                           "RequestFailed 0 7 Refused",
                                           "RequestFailed 99 100 Request timeout",
                                           "Disconnected"};
  EXPECT_TRUE(ledger.settled(events));
  EXPECT_TRUE(ledger.check(events));
}

TEST(RequestLedgerTest, RefusesMissingAndRepeatedEndings) {
  RequestLedger ledger;
  ledger.expect("21", "CallStateChanged 21 0");
  EXPECT_FALSE(ledger.settled({}));
  EXPECT_FALSE(ledger.check({}));  // never ended
  EXPECT_FALSE(ledger.check({"CallStateChanged 21 0", "RequestFailed 21 100 Request timeout"}));
  EXPECT_FALSE(ledger.check({"RequestFailed 21 102 x", "RequestFailed 21 102 x"}));
  EXPECT_FALSE(ledger.check({"CallStateChanged 21 0", "CallStateChanged 21 0"}));
  EXPECT_FALSE(ledger.check({"CallStateChanged 21 0", "RequestFailed 0 7 Refused"}));
  // Failures of requests the host never made: allowed only for a failed synchronous call.
  EXPECT_FALSE(ledger.check({"CallStateChanged 21 0", "RequestFailed 98 100 Request timeout"}));
  ledger.returned(false);
  EXPECT_TRUE(ledger.check({"CallStateChanged 21 0", "RequestFailed 98 100 Request timeout"}));
  EXPECT_FALSE(ledger.check({"CallStateChanged 21 0", "RequestFailed 98 100 Request timeout",
                             "RequestFailed 98 102 Connection closed remotely"}));
}

}  // namespace
}  // namespace telvane::testing
