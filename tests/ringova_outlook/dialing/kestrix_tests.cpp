#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ringova_outlook/dialing/kestrix_library.h"
#include "ringova_outlook/kestrix/pattern.h"

namespace ringova {
namespace {

bool Matches(std::string_view pattern, std::string_view number) {
  return kestrix::Match(pattern, number).has_value();
}

TEST(KestrixPatternTest, LiteralsAndDigitClassesMatchOneCharacterEach) {
  EXPECT_TRUE(Matches("+49*#", "+49*#"));
  EXPECT_FALSE(Matches("+49", "+490"));  // the whole number
  EXPECT_FALSE(Matches("+490", "+49"));
  EXPECT_TRUE(Matches("XXX", "019"));
  EXPECT_TRUE(Matches("xzn", "012"));  // either case
  EXPECT_FALSE(Matches("Z", "0"));
  EXPECT_FALSE(Matches("N", "1"));
  EXPECT_TRUE(Matches("N", "2"));
  EXPECT_FALSE(Matches("X", "a"));
  EXPECT_TRUE(Matches("tel:1XX", "TEL:100"));
  EXPECT_TRUE(Matches("", ""));
  EXPECT_FALSE(Matches("", "1"));
}

TEST(KestrixPatternTest, SetsRangesAndRunsOfAnyCharacters) {
  for (const char* in : {"1", "3", "5", "7"}) EXPECT_TRUE(Matches("[1-57]", in)) << in;
  for (const char* out : {"0", "6", "8", "-"}) EXPECT_FALSE(Matches("[1-57]", out)) << out;
  EXPECT_TRUE(Matches("[-+]1", "-1"));
  EXPECT_FALSE(Matches("[12", "1"));  // unclosed: matches nothing
  EXPECT_TRUE(Matches("0.", "01"));
  EXPECT_FALSE(Matches("0.", "0"));
  EXPECT_TRUE(Matches("0!", "0"));
  EXPECT_TRUE(Matches("0!", "0123"));
  EXPECT_TRUE(Matches("!9!", "9"));
  EXPECT_TRUE(Matches("0.9", "0129"));
  EXPECT_FALSE(Matches("0.9", "09"));
  EXPECT_TRUE(Matches("!.!", "x"));
  EXPECT_FALSE(Matches("!.!", ""));
}

class KestrixLibraryTest : public ::testing::Test {
 protected:
  int32_t Best(std::string_view number, std::vector<std::string> patterns) {
    std::vector<DialRule> rules;
    for (std::string& p : patterns) rules.push_back({std::move(p), "", "", "", ""});
    MatchResult result = library.GetBestMatching(number, rules);
    EXPECT_TRUE(result.ok) << result.error;
    return result.position;
  }
  KestrixLibrary library{KESTRIX_TEST_LIBRARY};
};

TEST_F(KestrixLibraryTest, TheMostSpecificRuleWinsThenTheEarlier) {
  // More literal characters win over position.
  EXPECT_EQ(Best("05551234", {"0.", "0555XXXX", "05.", "X."}), 2);
  // Equal literals: fewer wildcards win.
  EXPECT_EQ(Best("0123", {"0XXX", "0."}), 2);
  EXPECT_EQ(Best("0123", {"0!", "0XXX"}), 1);
  // A full tie goes to the earlier rule.
  EXPECT_EQ(Best("100", {"1XX", "1[0-9]X", "1XX"}), 1);
  EXPECT_EQ(Best("100", {"2XX", "1XX"}), 2);
  EXPECT_EQ(Best("100", {"2XX", "10"}), 0);
  EXPECT_EQ(Best("100", {}), 0);
  EXPECT_TRUE(library.loaded());
}

TEST(KestrixLoadTest, TheBareNameIsFoundBesideTheProgram) {
  KestrixLibrary library;
  MatchResult r =
      library.GetBestMatching("100", {{"2XX", "", "", "", ""}, {"1XX", "", "", "", ""}});
  EXPECT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.position, 2);
}

TEST(KestrixLoadTest, AMissingLibraryOrExportFailsEveryCall) {
  std::vector<DialRule> rules{{"X", "", "", "", ""}};
  KestrixLibrary missing("/nonexistent/libkestrix.so");
  for (int attempt = 0; attempt < 2; ++attempt) {
    MatchResult r = missing.GetBestMatching("1", rules);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("libkestrix.so"), std::string::npos) << r.error;
  }
  KestrixLibrary noExport(KESTRIX_NOEXPORT_LIBRARY);
  MatchResult r = noExport.GetBestMatching("1", rules);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("GetBestMatching"), std::string::npos) << r.error;
  EXPECT_FALSE(noExport.loaded());
}

}  // namespace
}  // namespace ringova
