#pragma once
// The system's locale as the add-in asks for it: a 16-bit language identifier (primary language
// in the low 10 bits, sub-language above), and the character set and code page of its texts.
#include <cstdint>
#include <string>
#include <string_view>

namespace platform::shell {

struct LocaleInfo {
  std::string name;         // as found, e.g. "de_DE.UTF-8"; "C" when none is set
  std::string language;     // "de"
  std::string territory;    // "DE"
  std::string codeset;      // "UTF-8"
  uint16_t languageId = 0;  // e.g. 0x0407; 0x0409 for "C"/"POSIX"; 0 for an unknown language
  int charset = 0;          // font character set number: 0 Western, 204 Cyrillic, 128 Japanese...
  int ansiCodePage = 1252;  // the code page such texts use on the original platform

  int primaryLanguage() const { return languageId & 0x3FF; }
  int subLanguage() const { return languageId >> 10; }
};

// Interprets a locale name ("pt_BR.UTF-8@euro", "ja_JP", "C").
LocaleInfo parseLocale(std::string_view name);

// The user's locale: LC_ALL, else LC_MESSAGES, else LANG of the environment.
LocaleInfo userLocale();
// The system's default: LANG of /etc/locale.conf or /etc/default/locale, else the user's.
LocaleInfo systemLocale();

}  // namespace platform::shell
