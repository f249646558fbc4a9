#include "ringova_outlook/resources/string_table.h"

#include <atomic>
#include <span>

#include "platform/shell/locale_info.h"
#include "ringova_outlook/resources/language_tables.h"

namespace ringova {
namespace {

// Primary language identifiers of the languages with a table.
constexpr std::uint16_t kLangGerman = 0x07;
constexpr std::uint16_t kLangEnglish = 0x09;
constexpr std::uint16_t kLangSpanish = 0x0A;
constexpr std::uint16_t kLangFrench = 0x0C;
constexpr std::uint16_t kLangItalian = 0x10;
constexpr std::uint16_t kLangPortuguese = 0x16;
constexpr std::uint16_t kLangRussian = 0x19;

std::span<const strings::Entry> TableOf(Language language) {
  switch (language) {
    case Language::German:
      return strings::German();
    case Language::French:
      return strings::French();
    case Language::Italian:
      return strings::Italian();
    case Language::Russian:
      return strings::Russian();
    case Language::Portuguese:
      return strings::Portuguese();
    case Language::Spanish:
      return strings::Spanish();
    case Language::English:
      break;
  }
  return strings::English();
}

// The tables are dense and ordered, so the id is an index; checked anyway, so a
// table with a gap still finds the right text.
const std::string_view* Find(std::span<const strings::Entry> table, int id) {
  std::size_t index = static_cast<std::size_t>(id - kFirstStringId);
  if (id >= kFirstStringId && index < table.size() && table[index].id == id) {
    return &table[index].text;
  }
  for (const auto& entry : table) {
    if (entry.id == id) return &entry.text;
  }
  return nullptr;
}

constexpr int kNotChosen = -1;
std::atomic<int> g_user_language{kNotChosen};

}  // namespace

Language LanguageForLangId(std::uint16_t lang_id) {
  switch (lang_id & 0x3FF) {
    case kLangGerman:
      return Language::German;
    case kLangSpanish:
      return Language::Spanish;
    case kLangFrench:
      return Language::French;
    case kLangItalian:
      return Language::Italian;
    case kLangPortuguese:
      return Language::Portuguese;
    case kLangRussian:
      return Language::Russian;
    case kLangEnglish:
    default:
      return Language::English;
  }
}

Language UserLanguage() {
  int language = g_user_language.load(std::memory_order_relaxed);
  if (language == kNotChosen) {
    language = static_cast<int>(LanguageForLangId(platform::shell::userLocale().languageId));
    int expected = kNotChosen;
    if (!g_user_language.compare_exchange_strong(expected, language)) language = expected;
  }
  return static_cast<Language>(language);
}

void SetUserLanguage(Language language) {
  g_user_language.store(static_cast<int>(language), std::memory_order_relaxed);
}

std::string_view StringText(Language language, int id) {
  if (const std::string_view* text = Find(TableOf(language), id)) return *text;
  if (const std::string_view* text = Find(strings::English(), id)) return *text;
  return {};
}

std::string_view LoadResString(int id) {
  return StringText(UserLanguage(), id);
}

}  // namespace ringova
