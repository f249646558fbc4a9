#pragma once
// The add-in's user texts, looked up by id (101 to 190) in the table of the
// user's language. Every language has the same ids; a text missing from a
// translation, or a language without a table, falls back to English. An id
// outside the table gives the empty text.

#include <cstdint>
#include <string_view>

namespace ringova {

enum class Language { German, English, French, Italian, Russian, Portuguese, Spanish };

inline constexpr int kFirstStringId = 101;
inline constexpr int kLastStringId = 190;

// The language of a Windows-style language identifier (primary language in the
// low 10 bits); English for a language without a table.
Language LanguageForLangId(std::uint16_t lang_id);

// The language LoadResString uses. Until SetUserLanguage is called it is the
// language of the user's locale (platform/shell). Safe to call from any thread.
Language UserLanguage();
void SetUserLanguage(Language language);

// The text of id in the given language, or in English when that table lacks it.
std::string_view StringText(Language language, int id);

// The text of id in the user's language.
std::string_view LoadResString(int id);

}  // namespace ringova
