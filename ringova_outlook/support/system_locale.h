#pragma once
// The locale facts the support services need: language identifiers in the
// Windows layout (primary language in the low 10 bits, sub-language above) and
// the character set of a locale's ANSI code page.

#include <cstdint>
#include <string_view>

namespace ringova {

class SystemLocale {
 public:
  virtual ~SystemLocale() = default;
  virtual std::uint16_t SystemDefaultLangId() const = 0;
  virtual std::uint16_t UserDefaultLangId() const = 0;
};

// Both identifiers from the environment's locale (LC_ALL, LC_MESSAGES, LANG;
// for the system default also /etc/default/locale). "C" and unknown names give
// English (United States), 0x0409.
class EnvironmentLocale final : public SystemLocale {
 public:
  std::uint16_t SystemDefaultLangId() const override;
  std::uint16_t UserDefaultLangId() const override;
};

// "de_DE.UTF-8" -> 0x0407, "zh_TW" -> 0x0404; 0x0409 for names it does not know.
std::uint16_t LangIdForLocaleName(std::string_view locale_name);

// The Windows character-set number of the locale's default ANSI code page: 0 for
// Western European and for locales without one, 204 Cyrillic, 238 Central
// European, 161 Greek, 162 Turkish, 177 Hebrew, 178 Arabic, 186 Baltic,
// 163 Vietnamese, 222 Thai, 128 Japanese, 129 Korean, 134 and 136 Chinese.
std::uint16_t CharsetForLangId(std::uint16_t lang_id);

}  // namespace ringova
