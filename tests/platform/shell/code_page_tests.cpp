// Texts in Windows ANSI code pages: the bytes a digest of the original platform is made of.
#include <gtest/gtest.h>

#include "platform/shell/code_page.h"

namespace platform::shell {
namespace {

TEST(CodePageTest, EachCharacterBecomesItsCodePageBytes) {
  EXPECT_EQ(toAnsiCodePage("J\u00fcrgen \u20ac", 1252), "J\xfcrgen \x80");
  EXPECT_EQ(toAnsiCodePage("\u041f\u0451\u0442\u0440", 1251), "\xcf\xb8\xf2\xf0");
  EXPECT_EQ(toAnsiCodePage("\u0141\u00f3d\u017a", 1250), "\xa3\xf3\x64\x9f");
  EXPECT_EQ(toAnsiCodePage("\u65e5\u672c", 932), "\x93\xfa\x96\x7b");  // two bytes each
  EXPECT_EQ(toAnsiCodePage("", 1252), "");
  EXPECT_EQ(toAnsiCodePage("ascii 123", 1251), "ascii 123");
}

TEST(CodePageTest, ACharacterTheCodePageLacksGivesNothingRatherThanASubstitute) {
  EXPECT_EQ(toAnsiCodePage("p\u00e4ss", 1251), std::nullopt);
  EXPECT_EQ(toAnsiCodePage("\u0416", 1252), std::nullopt);
  EXPECT_EQ(toAnsiCodePage("a\xc3", 1252), std::nullopt);  // cut UTF-8
  EXPECT_EQ(toAnsiCodePage("\xff", 1252), std::nullopt);
  EXPECT_EQ(toAnsiCodePage("abc", 0), std::nullopt);
  EXPECT_EQ(toAnsiCodePage("abc", 4711), std::nullopt);
}

}  // namespace
}  // namespace platform::shell
