#include <gtest/gtest.h>
#include <strings.h>

#include <set>
#include <string>

#include "ringova_outlook/support/ui_font.h"

namespace ringova {
namespace {

class FixedLocale : public SystemLocale {
 public:
  FixedLocale(std::uint16_t system, std::uint16_t user) : system_(system), user_(user) {}
  std::uint16_t SystemDefaultLangId() const override { return system_; }
  std::uint16_t UserDefaultLangId() const override { return user_; }
  std::uint16_t system_;
  std::uint16_t user_;
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
    FixedLocale locale(system, 0x0409);
    UIFontCache cache(locale, fonts);
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
    std::uint16_t user;
    UIFont expected;
  } cases[] = {
      {{"Tahoma", "Arial"}, 0x0407, {"Tahoma", 8, 0}},
      {{"tahoma"}, 0x0419, {"tahoma", 8, 204}},  // the face as installed
      {{"Arial"}, 0x0415, {"Arial", 8, 238}},
      {{}, 0x0408, {"System", 8, 161}},
      {{}, 0x0439, {"System", 8, 0}},  // a locale without an ANSI code page
  };
  for (const auto& c : cases) {
    FakeCatalog fonts(c.installed);
    FixedLocale locale(0x0409, c.user);
    UIFontCache cache(locale, fonts);
    EXPECT_EQ(cache.GetUIFont(), c.expected) << std::hex << c.user;
  }
}

TEST(UIFont, ChosenOnceThenReused) {
  FakeCatalog fonts({"Arial"});
  FixedLocale locale(0x0409, 0x0409);
  UIFontCache cache(locale, fonts);
  UIFont first = cache.GetUIFont();
  int calls = fonts.calls;
  locale.system_ = 0x0411;
  fonts.faces_ = {"Tahoma"};
  EXPECT_EQ(cache.GetUIFont(), first);
  EXPECT_EQ(fonts.calls, calls);
}

TEST(UIFont, FontExistsIgnoresCaseAndHandsBackTheFaceUsed) {
  FakeCatalog fonts({"Liberation Sans"});
  FixedLocale locale(0x0409, 0x0409);
  UIFontCache cache(locale, fonts);
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
  FixedLocale locale(0x0409, 0x0409);
  UIFontCache cache(locale, fonts);
  std::string face = installed;
  EXPECT_TRUE(cache.FontExists(face));
  face = "No Such Face 8f3a";
  EXPECT_FALSE(cache.FontExists(face));
  EXPECT_NE(face, "No Such Face 8f3a");
}

}  // namespace
}  // namespace ringova
