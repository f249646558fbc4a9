#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "platform/shell/locale_info.h"
#include "platform/shell/special_folders.h"
#include "platform/shell/system_version.h"
#include "tests/support/temp_folder.h"

using testsupport::TempFolder;

namespace platform::shell {
namespace {

TEST(Locale, LanguageIdentifiersAndCharacterSets) {
  struct Case {
    const char* name;
    uint16_t id;
    int charset;
  } cases[] = {
      {"de_DE.UTF-8", 0x0407, 0},   {"de_AT", 0x0C07, 0},         {"en_GB.UTF-8", 0x0809, 0},
      {"fr_FR@euro", 0x040C, 0},    {"it_IT", 0x0410, 0},         {"ru_RU.UTF-8", 0x0419, 204},
      {"pt_BR.UTF-8", 0x0416, 0},   {"pt_PT", 0x0816, 0},         {"es_ES.UTF-8", 0x0C0A, 0},
      {"ja_JP.UTF-8", 0x0411, 128}, {"ko_KR.UTF-8", 0x0412, 129}, {"zh_TW.UTF-8", 0x0404, 136},
      {"zh_CN.UTF-8", 0x0804, 134}, {"pl_PL", 0x0415, 238},       {"C", 0x0409, 0},
      {"POSIX", 0x0409, 0},         {"C.UTF-8", 0x0409, 0},       {"xx_YY", 0, 0},
  };
  for (const auto& c : cases) {
    LocaleInfo info = parseLocale(c.name);
    EXPECT_EQ(info.languageId, c.id) << c.name;
    EXPECT_EQ(info.charset, c.charset) << c.name;
  }
  LocaleInfo tw = parseLocale("zh_TW.Big5");
  EXPECT_EQ(tw.primaryLanguage(), 4);
  EXPECT_EQ(tw.subLanguage(), 1);
  EXPECT_EQ(tw.codeset, "Big5");
  EXPECT_EQ(tw.ansiCodePage, 950);
  EXPECT_EQ(parseLocale("ru_RU").ansiCodePage, 1251);
}

TEST(Locale, UserLocaleFollowsTheUsualVariables) {
  ::setenv("LANG", "de_DE.UTF-8", 1);
  ::setenv("LC_MESSAGES", "fr_FR.UTF-8", 1);
  ::setenv("LC_ALL", "", 1);
  EXPECT_EQ(userLocale().language, "fr");
  ::setenv("LC_ALL", "it_IT.UTF-8", 1);
  EXPECT_EQ(userLocale().languageId, 0x0410);
  ::unsetenv("LC_ALL");
  ::unsetenv("LC_MESSAGES");
  EXPECT_EQ(userLocale().territory, "DE");
}

TEST(SpecialFolders, FollowTheXdgBaseDirectories) {
  TempFolder home;
  ::setenv("HOME", home.path().c_str(), 1);
  ::unsetenv("XDG_DATA_HOME");
  ::unsetenv("XDG_CONFIG_HOME");
  std::string h = home.path().string();
  EXPECT_EQ(xdgSpecialFolder(SpecialFolder::LocalAppData), h + "/.local/share/");
  EXPECT_EQ(xdgSpecialFolder(SpecialFolder::AppData), h + "/.config/");
  EXPECT_EQ(xdgSpecialFolder(SpecialFolder::Desktop), h + "/Desktop/");

  ::setenv("XDG_DATA_HOME", "/data/ann", 1);
  ::setenv("XDG_DATA_DIRS", "/opt/share:/usr/share", 1);
  ::setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
  std::filesystem::create_directories(home.path() / ".config");
  std::ofstream(home.path() / ".config" / "user-dirs.dirs")
      << "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n";
  EXPECT_EQ(xdgSpecialFolder(SpecialFolder::LocalAppData), "/data/ann/");
  EXPECT_EQ(xdgSpecialFolder(SpecialFolder::Programs), "/data/ann/applications/");
  EXPECT_EQ(xdgSpecialFolder(SpecialFolder::CommonPrograms), "/opt/share/applications/");
  EXPECT_EQ(xdgSpecialFolder(SpecialFolder::AppData), h + "/.config/");
  EXPECT_EQ(xdgSpecialFolder(SpecialFolder::Desktop), h + "/Schreibtisch/");
  EXPECT_EQ(specialFolderFromId(0x1C), SpecialFolder::LocalAppData);
  EXPECT_EQ(specialFolderFromId(0x17), SpecialFolder::CommonPrograms);
  EXPECT_EQ(specialFolderFromId(0x99), std::nullopt);
  ::unsetenv("XDG_DATA_HOME");
  ::unsetenv("XDG_DATA_DIRS");
  ::unsetenv("XDG_CONFIG_HOME");
}

TEST(SystemVersion, ReleaseNumbersAndTheRunningSystem) {
  SystemVersion v;
  parseRelease("6.1.0-13-amd64", v);
  EXPECT_EQ(v.major, 6u);
  EXPECT_EQ(v.minor, 1u);
  EXPECT_EQ(v.build, 0u);
  parseRelease("5.15", v);
  EXPECT_EQ(v.minor, 15u);
  EXPECT_EQ(v.build, 0u);
  parseRelease("weird", v);
  EXPECT_EQ(v.major, 0u);
  auto running = querySystemVersion();
  ASSERT_TRUE(running);
  EXPECT_EQ(running->platform, "Linux");
  EXPECT_GT(running->major, 0u);
  EXPECT_FALSE(running->name.empty());
}

}  // namespace
}  // namespace platform::shell
