#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ringova_outlook/dialing/number_converter.h"

namespace ringova {
namespace {

// Answers with a fixed position and remembers what it was asked.
class ScriptedMatcher final : public RuleMatcher {
 public:
  MatchResult GetBestMatching(std::string_view number,
                              const std::vector<DialRule>& rules) override {
    ++calls;
    lastNumber = number;
    lastRuleCount = rules.size();
    return answer;
  }
  MatchResult answer{true, 1, {}};
  int calls = 0;
  std::string lastNumber;
  size_t lastRuleCount = 0;
};

class ConverterTest : public ::testing::Test {
 protected:
  void SetRules(std::vector<DialRule> rules) { ASSERT_TRUE(table.SetRules(std::move(rules))); }

  RuleTable table;
  ScriptedMatcher matcher;
  std::vector<std::string> log;
  NumberConverter converter{table, matcher, [this](std::string_view l) { log.emplace_back(l); }};
};

TEST_F(ConverterTest, EmptyTextAndEmptyTableNeverAskTheMatcher) {
  EXPECT_EQ(converter.PrepareDialNumber(""), "");
  EXPECT_EQ(converter.PrepareDialNumber("Mobile    - +1 (555) 123-4567"), "+15551234567");
  EXPECT_EQ(converter.ConvertPhoneByRule("100"), "100");
  EXPECT_EQ(matcher.calls, 0);
  EXPECT_TRUE(log.empty());
}

TEST_F(ConverterTest, DiscardPrefixAndSuffixOfTheChosenRule) {
  SetRules({{"0.", "1", "9", "", "outside line"}, {"1XX", "", "", "#", "extension"}});
  matcher.answer.position = 1;
  EXPECT_EQ(converter.ConvertPhoneByRule("05551234"), "95551234");
  EXPECT_EQ(matcher.lastNumber, "05551234");
  EXPECT_EQ(matcher.lastRuleCount, 2u);
  matcher.answer.position = 2;
  EXPECT_EQ(converter.PrepareDialNumber("Business  - 100"), "100#");
  EXPECT_EQ(matcher.lastNumber, "100");
  EXPECT_EQ(log, (std::vector<std::string>{"ConvertPhoneByRule: pattern - 0.",
                                           "ConvertPhoneByRule: pattern - 1XX"}));
}

TEST_F(ConverterTest, DiscardCountsAtAndBeyondTheNumber) {
  for (const char* keepAll : {"", "0", "x"}) {
    table.SetRules({{"X.", keepAll, "", "", ""}});
    EXPECT_EQ(converter.ConvertPhoneByRule("1234"), "1234") << keepAll;
  }
  table.SetRules({{"X.", "4", "<", ">", ""}});
  EXPECT_EQ(converter.ConvertPhoneByRule("1234"), "<>");
  table.SetRules({{"X.", "40", "<", ">", ""}});
  EXPECT_EQ(converter.ConvertPhoneByRule("1234"), "<>");
  table.SetRules({{"X.", "1.5", "", "", ""}});  // 2.5 rounds to 2: one character goes
  EXPECT_EQ(converter.ConvertPhoneByRule("1234"), "234");
  table.SetRules({{"X.", "2.5", "", "", ""}});  // 3.5 rounds to 4: three go
  EXPECT_EQ(converter.ConvertPhoneByRule("1234"), "4");
}

TEST_F(ConverterTest, FailuresLogTheNumberAndDialItUnchanged) {
  SetRules({{"X.", "1", "9", "", ""}});
  matcher.answer = {true, 2, {}};  // beyond the table
  EXPECT_EQ(converter.ConvertPhoneByRule("0301"), "0301");
  matcher.answer = {false, 0, "libkestrix.so: cannot open shared object file"};
  EXPECT_EQ(converter.ConvertPhoneByRule("0302"), "0302");
  matcher.answer = {true, 1, {}};
  table.SetRules({{"X.", "-3", "9", "", ""}});  // negative discard count
  EXPECT_EQ(converter.ConvertPhoneByRule("0303"), "0303");
  EXPECT_EQ(log, (std::vector<std::string>{"ConvertPhoneByRule: Error - 0301",
                                           "ConvertPhoneByRule: Error - 0302",
                                           "ConvertPhoneByRule: Error - 0303"}));
}

TEST_F(ConverterTest, NoMatchingRuleKeepsTheNumberQuietly) {
  SetRules({{"9X", "1", "", "", ""}});
  for (int none : {0, -1}) {
    matcher.answer.position = none;
    EXPECT_EQ(converter.PrepareDialNumber("Tel:100"), "tel:100");
  }
  EXPECT_EQ(matcher.calls, 2);
  EXPECT_TRUE(log.empty());
}

TEST(RuleTableTest, RefusesMoreRulesThanItsCountHolds) {
  RuleTable table;
  ASSERT_TRUE(table.SetRules(std::vector<DialRule>(kMaxRuleCount)));
  EXPECT_EQ(table.RuleCount(), kMaxRuleCount);
  EXPECT_FALSE(table.SetRules(std::vector<DialRule>(kMaxRuleCount + 1)));
  EXPECT_EQ(table.RuleCount(), kMaxRuleCount);
}

}  // namespace
}  // namespace ringova
