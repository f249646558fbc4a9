#include <gtest/gtest.h>

#include <filesystem>

#include "ringova_outlook/support/special_folder.h"
#include "tests/ringova_outlook/support/scoped_env.h"
#include "tests/ringova_outlook/support/temp_folder.h"

namespace ringova {
namespace {

using testing_support::ScopedEnv;
using testing_support::TempFolder;
using testing_support::WriteFile;

TEST(SpecialFolder, BaseDirectoriesEndInTheSeparator) {
  ScopedEnv home("HOME", "/home/ann");
  {
    ScopedEnv data("XDG_DATA_HOME", std::nullopt);
    ScopedEnv dirs("XDG_DATA_DIRS", std::nullopt);
    EXPECT_EQ(SpecialFolderPath(kCsidlLocalAppData), "/home/ann/.local/share/");
    EXPECT_EQ(SpecialFolderPath(kCsidlCommonPrograms), "/usr/local/share/applications/");
  }
  {
    ScopedEnv data("XDG_DATA_HOME", "/data/ann/");
    ScopedEnv dirs("XDG_DATA_DIRS", "/opt/share:/usr/share");
    EXPECT_EQ(SpecialFolderPath(kCsidlLocalAppData), "/data/ann/");
    EXPECT_EQ(SpecialFolderPath(kCsidlCommonPrograms), "/opt/share/applications/");
  }
  {
    ScopedEnv data("XDG_DATA_HOME", "relative/path");  // not absolute: ignored
    EXPECT_EQ(SpecialFolderPath(kCsidlLocalAppData), "/home/ann/.local/share/");
  }
}

TEST(SpecialFolder, DesktopFromUserDirsOrHome) {
  TempFolder config;
  ScopedEnv home("HOME", "/home/ann");
  ScopedEnv xdg("XDG_CONFIG_HOME", config.Path());
  EXPECT_EQ(SpecialFolderPath(kCsidlDesktopDirectory), "/home/ann/Desktop/");

  WriteFile(config.Path() + "user-dirs.dirs",
            "# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n"
            "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
  EXPECT_EQ(SpecialFolderPath(kCsidlDesktopDirectory), "/home/ann/Schreibtisch/");

  WriteFile(config.Path() + "user-dirs.dirs", "XDG_DESKTOP_DIR=\"/srv/desk/\"\n");
  EXPECT_EQ(SpecialFolderPath(kCsidlDesktopDirectory), "/srv/desk/");
}

TEST(SpecialFolder, UnknownNumbersGiveNothingAndNothingIsCreated) {
  TempFolder data;
  ScopedEnv xdg("XDG_DATA_HOME", data.Path() + "missing");
  EXPECT_EQ(SpecialFolderPath(kCsidlLocalAppData), data.Path() + "missing/");
  EXPECT_FALSE(std::filesystem::exists(data.Path() + "missing"));
  EXPECT_EQ(SpecialFolderPath(0x05), "");
  EXPECT_EQ(WithTrailingSeparator(""), "");
  EXPECT_EQ(WithTrailingSeparator("/a"), "/a/");
  EXPECT_EQ(WithTrailingSeparator("/a/"), "/a/");
}

}  // namespace
}  // namespace ringova
