#include <gtest/gtest.h>

#include "ringova_outlook/resources/language_tables.h"
#include "ringova_outlook/resources/string_table.h"

namespace ringova {
namespace {

constexpr Language kAll[] = {Language::German,  Language::English, Language::French,
                             Language::Italian, Language::Russian, Language::Portuguese,
                             Language::Spanish};

TEST(StringTable, EnglishTextsKeepTheirBlanksAndMarks) {
  EXPECT_EQ(StringText(Language::English, 101), "Ringova Settings");
  EXPECT_EQ(StringText(Language::English, 102), "Connect ");
  EXPECT_EQ(StringText(Language::English, 112), "sec.");
  EXPECT_EQ(StringText(Language::English, 117), "Close ");
  EXPECT_EQ(StringText(Language::English, 142), "Close");
  EXPECT_EQ(StringText(Language::English, 126), "Forward");
  EXPECT_EQ(StringText(Language::English, 139), "Ma&ke");
  EXPECT_EQ(StringText(Language::English, 144),
            "The connection is not established. Check connection's settings");
  EXPECT_EQ(StringText(Language::English, 173), "An update for  Ringova AddIn  is available");
  EXPECT_EQ(StringText(Language::English, 187), "Secure connection:");
}

// Captions are built by concatenation ("Ringova - " + 118, 139 + "..."), so a
// translation must keep the trailing blank and the access key of the English text.
TEST(StringTable, EveryLanguageHasEveryIdShapedLikeEnglish) {
  for (Language language : kAll) {
    for (int id = kFirstStringId; id <= kLastStringId; ++id) {
      std::string_view english = StringText(Language::English, id);
      std::string_view text = StringText(language, id);
      SCOPED_TRACE(testing::Message() << "language " << static_cast<int>(language) << " id " << id);
      ASSERT_FALSE(english.empty());
      ASSERT_FALSE(text.empty());
      EXPECT_EQ(english.back() == ' ', text.back() == ' ');
      EXPECT_EQ(english.find('&') != english.npos, text.find('&') != text.npos);
      EXPECT_EQ(english.find("  Ringova AddIn  ") != english.npos,
                text.find("  Ringova AddIn  ") != text.npos);
    }
  }
  for (auto table : {strings::English(), strings::German(), strings::French(), strings::Italian(),
                     strings::Russian(), strings::Portuguese(), strings::Spanish()}) {
    ASSERT_EQ(table.size(), static_cast<std::size_t>(kLastStringId - kFirstStringId + 1));
    for (std::size_t i = 0; i < table.size(); ++i) EXPECT_EQ(table[i].id, kFirstStringId + int(i));
  }
}

TEST(StringTable, TranslationsDifferAndUnknownIdsAreEmpty) {
  EXPECT_EQ(StringText(Language::German, 146), "Abbrechen");
  EXPECT_EQ(StringText(Language::Russian, 146), "Отмена");
  EXPECT_EQ(StringText(Language::Spanish, 146), "Cancelar");
  EXPECT_EQ(StringText(Language::French, 100), "");
  EXPECT_EQ(StringText(Language::English, kLastStringId + 1), "");
  EXPECT_EQ(StringText(Language::English, -5), "");
}

TEST(StringTable, LanguageComesFromTheLanguageId) {
  EXPECT_EQ(LanguageForLangId(0x0407), Language::German);
  EXPECT_EQ(LanguageForLangId(0x0C07), Language::German);  // Austria
  EXPECT_EQ(LanguageForLangId(0x0409), Language::English);
  EXPECT_EQ(LanguageForLangId(0x040C), Language::French);
  EXPECT_EQ(LanguageForLangId(0x0410), Language::Italian);
  EXPECT_EQ(LanguageForLangId(0x0419), Language::Russian);
  EXPECT_EQ(LanguageForLangId(0x0416), Language::Portuguese);
  EXPECT_EQ(LanguageForLangId(0x0C0A), Language::Spanish);
  EXPECT_EQ(LanguageForLangId(0x0411), Language::English);  // no Japanese table
}

TEST(StringTable, LoadResStringFollowsTheUserLanguage) {
  SetUserLanguage(Language::German);
  EXPECT_EQ(UserLanguage(), Language::German);
  EXPECT_EQ(LoadResString(145), "Übernehmen");
  SetUserLanguage(Language::English);
  EXPECT_EQ(LoadResString(145), "Apply");
}

}  // namespace
}  // namespace ringova
