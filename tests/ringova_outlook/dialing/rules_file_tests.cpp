#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ringova_outlook/dialing/rules_file.h"
#include "tests/support/temp_folder.h"

namespace ringova {
namespace {

using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;

class RulesFileTest : public ::testing::Test {
 protected:
  std::string Path() const { return folder.withSlash() + kRulesFileName; }
  LogSink Sink() {
    return [this](std::string_view l) { log.emplace_back(l); };
  }
  TempFolder folder;
  std::vector<std::string> log;
};

TEST_F(RulesFileTest, TwoRulesWithEmptyFieldsComeBackInOrder) {
  std::vector<DialRule> rules{{"0.", "1", "9", "", "outside, with comma"},
                              {"1XX", "", "", "#", ""}};
  std::string error;
  ASSERT_TRUE(WriteRulesFile(Path(), rules, error)) << error;
  EXPECT_EQ(ReadFile(Path()),
            "\"0.\"\r\n\"1\"\r\n\"9\"\r\n\"\"\r\n\"outside, with comma\"\r\n"
            "\"1XX\"\r\n\"\"\r\n\"\"\r\n\"#\"\r\n\"\"\r\n");
  RuleTable table;
  ASSERT_TRUE(RestoreDialRules(folder.withSlash(), table, Sink()));
  EXPECT_EQ(table.Rules(), rules);
  EXPECT_EQ(table.RuleCount(), 2);
  EXPECT_TRUE(log.empty());
}

TEST_F(RulesFileTest, AMissingFileIsCreatedEmptyAndGivesNoRules) {
  RuleTable table;
  ASSERT_TRUE(RestoreDialRules(folder.withSlash(), table, Sink()));
  EXPECT_TRUE(std::filesystem::exists(Path()));
  EXPECT_EQ(ReadFile(Path()), "");
  EXPECT_EQ(table.RuleCount(), 0);
}

TEST_F(RulesFileTest, ReadingTakesCommasUnquotedFieldsAndBareLineFeeds) {
  std::vector<DialRule> rules;
  std::string error;
  ASSERT_TRUE(
      ParseRules("\"0.\",1, \"9\" ,,\"a\"\n 1XX ,\r\n\r\n\"#\",plain text \n", rules, error))
      << error;
  EXPECT_EQ(rules,
            (std::vector<DialRule>{{"0.", "1", "9", "", "a"}, {"1XX", "", "", "#", "plain text"}}));
  // Trailing blank lines do not start another rule.
  ASSERT_TRUE(ParseRules(FormatRules(rules) + "\r\n\r\n", rules, error));
  EXPECT_EQ(rules.size(), 2u);
}

TEST_F(RulesFileTest, ARuleCutShortKeepsThePreviousTableAndIsLogged) {
  RuleTable table;
  ASSERT_TRUE(table.SetRules({{"9", "", "", "", "old"}}));
  WriteFile(Path(), "\"0.\"\r\n\"1\"\r\n\"9\"\r\n\"\"\r\n\"a\"\r\n\"1XX\"\r\n\"\"\r\n");
  EXPECT_FALSE(RestoreDialRules(folder.withSlash(), table, Sink()));
  EXPECT_EQ(table.Rules(), (std::vector<DialRule>{{"9", "", "", "", "old"}}));
  EXPECT_EQ(log, (std::vector<std::string>{"RestoreDialRules: Input past end of file"}));
}

TEST_F(RulesFileTest, AnUnwritableFileIsReported) {
  std::string error;
  EXPECT_FALSE(WriteRulesFile(folder.withSlash() + "missing/" + kRulesFileName, {}, error));
  EXPECT_NE(error.find("missing"), std::string::npos);
}

}  // namespace
}  // namespace ringova
