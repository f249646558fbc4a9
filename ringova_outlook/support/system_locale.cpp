#include "ringova_outlook/support/system_locale.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace ringova {
namespace {

constexpr std::uint16_t kEnglishUs = 0x0409;

constexpr std::uint16_t MakeLangId(std::uint16_t primary, std::uint16_t sub) {
  return static_cast<std::uint16_t>(sub << 10 | primary);
}

struct LanguageCode {
  std::string_view code;
  std::uint16_t primary;
};

constexpr LanguageCode kLanguages[] = {
    {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06},
    {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C},
    {"he", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11}, {"ko", 0x12},
    {"nl", 0x13}, {"nb", 0x14}, {"no", 0x14}, {"nn", 0x14}, {"pl", 0x15}, {"pt", 0x16},
    {"ro", 0x18}, {"ru", 0x19}, {"sr", 0x1A}, {"sk", 0x1B}, {"sq", 0x1C}, {"sv", 0x1D},
    {"th", 0x1E}, {"tr", 0x1F}, {"ur", 0x20}, {"id", 0x21}, {"uk", 0x22}, {"be", 0x23},
    {"sl", 0x24}, {"et", 0x25}, {"lv", 0x26}, {"lt", 0x27}, {"fa", 0x29}, {"vi", 0x2A},
    {"hy", 0x2B}, {"az", 0x2C}, {"eu", 0x2D}, {"mk", 0x2F}, {"af", 0x36}, {"ka", 0x37},
    {"hi", 0x39}, {"ms", 0x3E}, {"kk", 0x3F}, {"ky", 0x40}, {"sw", 0x41}, {"uz", 0x43},
    {"tt", 0x44}, {"mn", 0x50}, {"gl", 0x56},
};

// Sub-languages that change the character set or the font: Chinese by region,
// Serbian in Cyrillic. Everything else takes the default sub-language 1.
std::uint16_t SubLanguage(std::uint16_t primary, std::string_view region,
                          std::string_view modifier) {
  if (primary == 0x04) {
    if (region == "TW") return 1;
    if (region == "HK") return 3;
    if (region == "SG") return 4;
    if (region == "MO") return 5;
    return 2;
  }
  if (primary == 0x1A) return modifier == "latin" ? 2 : 3;
  return 1;
}

std::string FirstSetVariable(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

// LANG=... in /etc/default/locale, the machine's own setting.
std::string MachineLocale() {
  std::ifstream in("/etc/default/locale");
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, 5, "LANG=") != 0) continue;
    std::string value = line.substr(5);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    return value;
  }
  return {};
}

}  // namespace

std::uint16_t LangIdForLocaleName(std::string_view name) {
  std::string_view modifier;
  if (auto at = name.find('@'); at != std::string_view::npos) {
    modifier = name.substr(at + 1);
    name = name.substr(0, at);
  }
  name = name.substr(0, name.find('.'));
  std::string_view code = name.substr(0, name.find('_'));
  std::string_view region;
  if (auto bar = name.find('_'); bar != std::string_view::npos) region = name.substr(bar + 1);
  // Croatian shares its primary language with Serbian, as sub-language 1.
  if (code == "hr") return MakeLangId(0x1A, 1);
  for (const auto& language : kLanguages) {
    if (language.code == code) {
      return MakeLangId(language.primary, SubLanguage(language.primary, region, modifier));
    }
  }
  return kEnglishUs;
}

std::uint16_t CharsetForLangId(std::uint16_t lang_id) {
  std::uint16_t primary = lang_id & 0x3FF;
  std::uint16_t sub = lang_id >> 10;
  switch (primary) {
    case 0x02:
    case 0x19:
    case 0x22:
    case 0x23:
    case 0x2F:
    case 0x3F:
    case 0x40:
    case 0x44:
    case 0x50:
      return 204;
    case 0x1A:  // Croatian (1) and Serbian Latin (2) are Central European, Serbian Cyrillic not
      return sub == 3 ? 204 : 238;
    case 0x05:
    case 0x0E:
    case 0x15:
    case 0x18:
    case 0x1B:
    case 0x1C:
    case 0x24:
      return 238;
    case 0x08:
      return 161;
    case 0x1F:
    case 0x2C:
      return 162;
    case 0x0D:
      return 177;
    case 0x01:
    case 0x20:
    case 0x29:
      return 178;
    case 0x25:
    case 0x26:
    case 0x27:
      return 186;
    case 0x2A:
      return 163;
    case 0x1E:
      return 222;
    case 0x11:
      return 128;
    case 0x12:
      return 129;
    case 0x04:
      return sub == 2 || sub == 4 ? 134 : 136;
    default:
      return 0;
  }
}

std::uint16_t EnvironmentLocale::SystemDefaultLangId() const {
  std::string name = MachineLocale();
  if (name.empty()) name = FirstSetVariable({"LANG"});
  return LangIdForLocaleName(name);
}

std::uint16_t EnvironmentLocale::UserDefaultLangId() const {
  return LangIdForLocaleName(FirstSetVariable({"LC_ALL", "LC_MESSAGES", "LANG"}));
}

}  // namespace ringova
