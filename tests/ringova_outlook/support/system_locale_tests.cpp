#include <gtest/gtest.h>

#include "ringova_outlook/support/system_locale.h"

namespace ringova {
namespace {

TEST(SystemLocale, LocaleNamesGiveLanguageIds) {
  EXPECT_EQ(LangIdForLocaleName("de_DE.UTF-8"), 0x0407);
  EXPECT_EQ(LangIdForLocaleName("ja_JP.eucJP"), 0x0411);
  EXPECT_EQ(LangIdForLocaleName("zh_TW.UTF-8"), 0x0404);
  EXPECT_EQ(LangIdForLocaleName("zh_CN"), 0x0804);
  EXPECT_EQ(LangIdForLocaleName("zh_HK"), 0x0C04);
  EXPECT_EQ(LangIdForLocaleName("ko_KR"), 0x0412);
  EXPECT_EQ(LangIdForLocaleName("sr_RS@latin"), 0x081A);
  EXPECT_EQ(LangIdForLocaleName("sr_RS"), 0x0C1A);
  EXPECT_EQ(LangIdForLocaleName("hr_HR"), 0x041A);
  EXPECT_EQ(LangIdForLocaleName("C.UTF-8"), 0x0409);
  EXPECT_EQ(LangIdForLocaleName(""), 0x0409);
}

TEST(SystemLocale, CharsetOfTheLocalesCodePage) {
  EXPECT_EQ(CharsetForLangId(0x0407), 0);    // German, Western
  EXPECT_EQ(CharsetForLangId(0x0419), 204);  // Russian
  EXPECT_EQ(CharsetForLangId(0x0422), 204);  // Ukrainian
  EXPECT_EQ(CharsetForLangId(0x0405), 238);  // Czech
  EXPECT_EQ(CharsetForLangId(0x041A), 238);  // Croatian
  EXPECT_EQ(CharsetForLangId(0x0C1A), 204);  // Serbian, Cyrillic
  EXPECT_EQ(CharsetForLangId(0x0408), 161);
  EXPECT_EQ(CharsetForLangId(0x041F), 162);
  EXPECT_EQ(CharsetForLangId(0x040D), 177);
  EXPECT_EQ(CharsetForLangId(0x0401), 178);
  EXPECT_EQ(CharsetForLangId(0x0426), 186);
  EXPECT_EQ(CharsetForLangId(0x042A), 163);
  EXPECT_EQ(CharsetForLangId(0x041E), 222);
  EXPECT_EQ(CharsetForLangId(0x0411), 128);
  EXPECT_EQ(CharsetForLangId(0x0412), 129);
  EXPECT_EQ(CharsetForLangId(0x0804), 134);
  EXPECT_EQ(CharsetForLangId(0x0404), 136);
  EXPECT_EQ(CharsetForLangId(0x0439), 0);  // Hindi: no ANSI code page
}

}  // namespace
}  // namespace ringova
