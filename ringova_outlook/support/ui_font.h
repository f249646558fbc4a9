#pragma once
// The one font of all the add-in's windows, chosen once by the system's
// language and kept for as long as the add-in is loaded.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/shell/locale_info.h"
#include "ringova_outlook/support/font_catalog.h"

namespace ringova {

struct UIFont {
  std::string face;          // UTF-8
  std::int16_t size = 0;     // points
  std::int16_t charset = 0;  // Windows character-set number
  bool operator==(const UIFont&) const = default;
};

class UIFontCache {
 public:
  using LocaleSource = std::function<platform::shell::LocaleInfo()>;

  // The catalog must outlive the cache.
  UIFontCache(LocaleSource system_locale, LocaleSource user_locale, FontCatalog& fonts)
      : system_locale_(std::move(system_locale)),
        user_locale_(std::move(user_locale)),
        fonts_(fonts) {}

  // By the system default language: the East Asian faces for Chinese, Japanese
  // and Korean, else "Tahoma", "Arial" or "System" (the first installed) at 8
  // points in the user locale's character set. Chosen on the first call.
  UIFont GetUIFont();

  // True when the catalog uses face itself (ignoring case); face becomes the
  // face the catalog uses.
  bool FontExists(std::string& face);

 private:
  LocaleSource system_locale_;
  LocaleSource user_locale_;
  FontCatalog& fonts_;
  UIFont cached_;
};

// The add-in's own cache over the system's locales and fontconfig.
UIFontCache& AddinUIFontCache();
UIFont GetUIFont();
bool FontExists(std::string& face);

}  // namespace ringova
