#include "ringova_outlook/support/ui_font.h"

#include <strings.h>

namespace ringova {
namespace {

// The East Asian faces, UTF-8.
constexpr const char* kTaiwanFace = "\xE6\x96\xB0\xE7\xB4\xB0\xE6\x98\x8E\xE9\xAB\x94";
constexpr const char* kPrcFace = "\xE5\xAE\x8B\xE4\xBD\x93";
constexpr const char* kJapaneseFace =
    "\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF";
constexpr const char* kKoreanFace = "\xEA\xB5\xB4\xEB\xA6\xBC";

constexpr int kChinese = 4;
constexpr int kJapanese = 17;
constexpr int kKorean = 18;

}  // namespace

UIFont UIFontCache::GetUIFont() {
  if (!cached_.face.empty()) return cached_;
  platform::shell::LocaleInfo system = system_locale_();
  int primary = system.primaryLanguage();
  int sub = system.subLanguage();
  UIFont font;
  if (primary == kChinese) {
    // Hong Kong and Macau write traditional characters, Singapore simplified.
    bool traditional = sub == 1 || sub == 3 || sub == 5;
    font = traditional ? UIFont{kTaiwanFace, 9, 136} : UIFont{kPrcFace, 9, 134};
  } else if (primary == kJapanese) {
    font = {kJapaneseFace, 9, 128};
  } else if (primary == kKorean) {
    font = {kKoreanFace, 9, 129};
  } else {
    std::string face = "Tahoma";
    if (!FontExists(face)) {
      face = "Arial";
      if (!FontExists(face)) face = "System";
    }
    font = {face, 8, static_cast<std::int16_t>(user_locale_().charset)};
  }
  cached_ = font;
  return cached_;
}

bool UIFontCache::FontExists(std::string& face) {
  std::string used = fonts_.MatchFace(face);
  bool same = strcasecmp(used.c_str(), face.c_str()) == 0;
  face = used;
  return same;
}

UIFontCache& AddinUIFontCache() {
  static FontconfigCatalog fonts;
  static UIFontCache cache(platform::shell::systemLocale, platform::shell::userLocale, fonts);
  return cache;
}

UIFont GetUIFont() {
  return AddinUIFontCache().GetUIFont();
}

bool FontExists(std::string& face) {
  return AddinUIFontCache().FontExists(face);
}

}  // namespace ringova
