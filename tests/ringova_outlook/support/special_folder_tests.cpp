#include <gtest/gtest.h>

#include "ringova_outlook/support/special_folder.h"
#include "tests/ringova_outlook/support/scoped_env.h"

namespace ringova {
namespace {

using testing_support::ScopedEnv;

TEST(SpecialFolder, TheAddinsFoldersEndInTheSeparator) {
  ScopedEnv home("HOME", "/home/ann");
  ScopedEnv data("XDG_DATA_HOME", "/data/ann");
  ScopedEnv dirs("XDG_DATA_DIRS", "/opt/share:/usr/share");
  ScopedEnv config("XDG_CONFIG_HOME", "/nonexistent-config");
  EXPECT_EQ(SpecialFolderPath(kCsidlLocalAppData), "/data/ann/");
  EXPECT_EQ(SpecialFolderPath(kCsidlCommonPrograms), "/opt/share/applications/");
  EXPECT_EQ(SpecialFolderPath(kCsidlDesktopDirectory), "/home/ann/Desktop/");
}

TEST(SpecialFolder, UnknownNumbersGiveNothing) {
  EXPECT_EQ(SpecialFolderPath(0x2B), "");
  EXPECT_EQ(WithTrailingSeparator(""), "");
  EXPECT_EQ(WithTrailingSeparator("/a"), "/a/");
  EXPECT_EQ(WithTrailingSeparator("/a/"), "/a/");
}

}  // namespace
}  // namespace ringova
