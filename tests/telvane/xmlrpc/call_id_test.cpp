#include "telvane/xmlrpc/call_id.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace telvane {
namespace {

TEST(CallIdTest, FormatsUnsignedDecimal) {
  EXPECT_EQ(formatId(0), "0");
  EXPECT_EQ(formatId(42), "42");
  EXPECT_EQ(formatId(18446744073709551615ull), "18446744073709551615");
}

TEST(CallIdTest, ParsesEveryTextWithoutRejecting) {
  EXPECT_EQ(parseId(""), 0u);
  EXPECT_EQ(parseId("123"), 123u);
  EXPECT_EQ(parseId("007"), 7u);
  EXPECT_EQ(parseId("1a"), 59u);  // 1*10 + ('a' - '0')
  EXPECT_EQ(parseId("18446744073709551615"), 18446744073709551615ull);
  EXPECT_EQ(parseId("18446744073709551616"), 0u);  // modulo 2^64
  EXPECT_EQ(parseId("-1"), CallId(('-' - '0') * 10 + 1));
  EXPECT_EQ(parseId("/"), CallId(0) - 1);  // '/' is one below '0'
}

TEST(CallIdTest, RoundTrip) {
  for (CallId id : {CallId(1), CallId(999), CallId(1) << 63, ~CallId(0) - 5}) {
    EXPECT_EQ(parseId(formatId(id)), id);
  }
}

TEST(CallIdTest, NewIdsStrictlyIncreaseAcrossThreads) {
  constexpr int kThreads = 4;
  constexpr int kPerThread = 5000;
  std::vector<std::vector<CallId>> taken(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&taken, t] {
      for (int i = 0; i < kPerThread; ++i) taken[t].push_back(newId());
    });
  }
  for (auto& thread : threads) thread.join();
  std::vector<CallId> all;
  for (const auto& ids : taken) {
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
    all.insert(all.end(), ids.begin(), ids.end());
  }
  std::sort(all.begin(), all.end());
  EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end()) << "two equal IDs";
  EXPECT_NE(all.front(), 0u);
}

}  // namespace
}  // namespace telvane
