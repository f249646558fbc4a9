#include "platform/shell/locale_info.h"

#include <cstdlib>
#include <fstream>

namespace platform::shell {
namespace {

struct Language {
  const char* code;
  uint16_t primary;
  int charset;
  int codePage;
};

// Primary language numbers with the character set and code page of their texts.
constexpr Language kLanguages[] = {
    {"ar", 0x01, 178, 1256}, {"bg", 0x02, 204, 1251}, {"ca", 0x03, 0, 1252},
    {"zh", 0x04, 134, 936},  {"cs", 0x05, 238, 1250}, {"da", 0x06, 0, 1252},
    {"de", 0x07, 0, 1252},   {"el", 0x08, 161, 1253}, {"en", 0x09, 0, 1252},
    {"es", 0x0A, 0, 1252},   {"fi", 0x0B, 0, 1252},   {"fr", 0x0C, 0, 1252},
    {"he", 0x0D, 177, 1255}, {"hu", 0x0E, 238, 1250}, {"is", 0x0F, 0, 1252},
    {"it", 0x10, 0, 1252},   {"ja", 0x11, 128, 932},  {"ko", 0x12, 129, 949},
    {"nl", 0x13, 0, 1252},   {"nb", 0x14, 0, 1252},   {"no", 0x14, 0, 1252},
    {"pl", 0x15, 238, 1250}, {"pt", 0x16, 0, 1252},   {"ro", 0x18, 238, 1250},
    {"ru", 0x19, 204, 1251}, {"hr", 0x1A, 238, 1250}, {"sk", 0x1B, 238, 1250},
    {"sv", 0x1D, 0, 1252},   {"th", 0x1E, 222, 874},  {"tr", 0x1F, 162, 1254},
    {"uk", 0x22, 204, 1251}, {"sl", 0x24, 238, 1250}, {"et", 0x25, 186, 1257},
    {"lv", 0x26, 186, 1257}, {"lt", 0x27, 186, 1257}, {"vi", 0x2A, 163, 1258},
};

struct SubLanguage {
  const char* language;
  const char* territory;
  uint16_t sub;
};

// Territories whose sub-language is not the default (1).
constexpr SubLanguage kSubLanguages[] = {
    {"zh", "CN", 2}, {"zh", "HK", 3}, {"zh", "SG", 4}, {"zh", "MO", 5}, {"en", "GB", 2},
    {"en", "AU", 3}, {"en", "CA", 4}, {"en", "NZ", 5}, {"en", "IE", 6}, {"de", "CH", 2},
    {"de", "AT", 3}, {"de", "LU", 4}, {"fr", "BE", 2}, {"fr", "CA", 3}, {"fr", "CH", 4},
    {"es", "ES", 3}, {"es", "MX", 2}, {"it", "CH", 2}, {"pt", "PT", 2}, {"nl", "BE", 2},
    {"sv", "FI", 2}, {"nb", "NO", 1}, {"no", "NO", 1},
};

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

// LANG=... of a locale configuration file, "" when none.
std::string langOfFile(const char* path) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.starts_with("LANG=")) continue;
    std::string v = line.substr(5);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
      v = v.substr(1, v.size() - 2);
    return v;
  }
  return {};
}

}  // namespace

LocaleInfo parseLocale(std::string_view name) {
  LocaleInfo info;
  if (std::size_t at = name.find('@'); at != std::string_view::npos) name = name.substr(0, at);
  info.name = name.empty() ? "C" : std::string(name);
  if (name.empty() || name == "C" || name == "POSIX" || name.starts_with("C.")) {
    info.name = std::string(name.empty() ? "C" : name);
    info.language = "en";
    info.territory = "US";
    info.codeset = name.starts_with("C.") ? std::string(name.substr(2)) : "ANSI_X3.4-1968";
    info.languageId = 0x0409;
    return info;
  }
  std::size_t dot = name.find('.');
  if (dot != std::string_view::npos) info.codeset = name.substr(dot + 1);
  std::string_view base = name.substr(0, dot);
  std::size_t us = base.find('_');
  info.language = base.substr(0, us);
  if (us != std::string_view::npos) info.territory = base.substr(us + 1);

  for (const Language& l : kLanguages) {
    if (info.language != l.code) continue;
    uint16_t sub = 1;
    for (const SubLanguage& s : kSubLanguages)
      if (info.language == s.language && info.territory == s.territory) sub = s.sub;
    info.languageId = static_cast<uint16_t>(sub << 10 | l.primary);
    info.charset = l.charset;
    info.ansiCodePage = l.codePage;
    if (l.primary == 0x04 && (sub == 1 || sub == 3 || sub == 5)) {  // traditional script
      info.charset = 136;
      info.ansiCodePage = 950;
    }
    return info;
  }
  info.languageId = 0;  // a language we have no number for
  return info;
}

LocaleInfo userLocale() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    std::string v = env(var);
    if (!v.empty()) return parseLocale(v);
  }
  return parseLocale("C");
}

LocaleInfo systemLocale() {
  for (const char* file : {"/etc/locale.conf", "/etc/default/locale"}) {
    std::string v = langOfFile(file);
    if (!v.empty()) return parseLocale(v);
  }
  return userLocale();
}

}  // namespace platform::shell
