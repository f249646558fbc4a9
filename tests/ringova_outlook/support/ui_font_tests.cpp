#include <gtest/gtest.h>
#include <strings.h>

#include <set>
#include <string>

#include "ringova_outlook/support/ui_font.h"

namespace ringova {
namespace {

using platform::shell::LocaleInfo;
using platform::shell::parseLocale;

LocaleInfo WithLangId(std::uint16_t lang_id) {
  LocaleInfo locale;
  locale.languageId = lang_id;
  return locale;
}

// The system and the user locale, as the cache reads them.
struct FixedLocales {
  LocaleInfo system = parseLocale("en_US.UTF-8");
  LocaleInfo user = parseLocale("en_US.UTF-8");
  UIFontCache::LocaleSource System() {
    return [this] { return system; };
  }
  UIFontCache::LocaleSource User() {
    return [this] { return user; };
  }
};

// Installed faces; like a font system, it answers an unknown face with its default.
class FakeCatalog : public FontCatalog {
 public:
  explicit FakeCatalog(std::set<std::string> faces) : faces_(std::move(faces)) {}
  std::string MatchFace(const std::string& face) override {
    ++calls;
    for (const auto& installed : faces_) {
      if (strcasecmp(installed.c_str(), face.c_str()) == 0) return installed;
    }
    return "DejaVu Sans";
  }
  std::set<std::string> faces_;
  int calls = 0;
};

TEST(UIFont, EastAsianSystemsGetTheirFaceWhateverTheUserLocale) {
  FakeCatalog fonts({"Tahoma"});
  auto expect = [&](std::uint16_t system, const char8_t* face, int size, int charset) {
    FixedLocales locales;
    locales.system = WithLangId(system);
    UIFontCache cache(locales.System(), locales.User(), fonts);
    UIFont font = cache.GetUIFont();
    EXPECT_EQ(font.face, std::string(reinterpret_cast<const char*>(face))) << std::hex << system;
    EXPECT_EQ(font.size, size);
    EXPECT_EQ(font.charset, charset);
  };
  expect(0x0411, u8"ＭＳ Ｐゴシック", 9, 128);
  expect(0x0404, u8"新細明體", 9, 136);
  expect(0x0804, u8"宋体", 9, 134);
  expect(0x0412, u8"굴림", 9, 129);
  expect(0x0812, u8"굴림", 9, 129);
  expect(0x0C12, u8"굴림", 9, 129);      // no face of its own: the Korean one
  expect(0x0C04, u8"新細明體", 9, 136);  // Hong Kong writes traditional characters
  expect(0x1004, u8"宋体", 9, 134);      // Singapore simplified
  EXPECT_EQ(fonts.calls, 0);
}

TEST(UIFont, WesternSystemsTakeTheFirstInstalledFaceInTheUserCharset) {
  struct Case {
    std::set<std::string> installed;
    const char* user;
    UIFont expected;
  } cases[] = {
      {{"Tahoma", "Arial"}, "de_DE.UTF-8", {"Tahoma", 8, 0}},
      {{"tahoma"}, "ru_RU.UTF-8", {"tahoma", 8, 204}},  // the face as installed
      {{"Arial"}, "pl_PL", {"Arial", 8, 238}},
      {{}, "el_GR", {"System", 8, 161}},
      {{}, "hi_IN", {"System", 8, 0}},  // a locale without an ANSI code page
  };
  for (const auto& c : cases) {
    FakeCatalog fonts(c.installed);
    FixedLocales locales;
    locales.user = parseLocale(c.user);
    UIFontCache cache(locales.System(), locales.User(), fonts);
    EXPECT_EQ(cache.GetUIFont(), c.expected) << c.user;
  }
}

TEST(UIFont, ChosenOnceThenReused) {
  FakeCatalog fonts({"Arial"});
  FixedLocales locales;
  UIFontCache cache(locales.System(), locales.User(), fonts);
  UIFont first = cache.GetUIFont();
  int calls = fonts.calls;
  locales.system = parseLocale("ja_JP");
  fonts.faces_ = {"Tahoma"};
  EXPECT_EQ(cache.GetUIFont(), first);
  EXPECT_EQ(fonts.calls, calls);
}

TEST(UIFont, FontExistsIgnoresCaseAndHandsBackTheFaceUsed) {
  FakeCatalog fonts({"Liberation Sans"});
  FixedLocales locales;
  UIFontCache cache(locales.System(), locales.User(), fonts);
  std::string face = "LIBERATION SANS";
  EXPECT_TRUE(cache.FontExists(face));
  EXPECT_EQ(face, "Liberation Sans");
  face = "Tahoma";
  EXPECT_FALSE(cache.FontExists(face));
  EXPECT_EQ(face, "DejaVu Sans");
}

TEST(UIFont, FontconfigKnowsItsOwnFacesOnly) {
  FontconfigCatalog fonts;
  std::string installed = fonts.MatchFace("sans-serif");
  if (installed.empty()) GTEST_SKIP() << "no fonts installed";
  FixedLocales locales;
  UIFontCache cache(locales.System(), locales.User(), fonts);
  std::string face = installed;
  EXPECT_TRUE(cache.FontExists(face));
  face = "No Such Face 8f3a";
  EXPECT_FALSE(cache.FontExists(face));
  EXPECT_NE(face, "No Such Face 8f3a");
}

}  // namespace
}  // namespace ringova
