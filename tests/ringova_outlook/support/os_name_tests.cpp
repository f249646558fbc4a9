#include <gtest/gtest.h>

#include "ringova_outlook/support/log_file.h"
#include "ringova_outlook/support/os_name.h"
#include "tests/support/temp_folder.h"

namespace ringova {
namespace {

TEST(OsName, NamedByMajorAndMinorOnly) {
  EXPECT_EQ(OSNameForVersion(4, 0), "Windows NT4");
  EXPECT_EQ(OSNameForVersion(4, 10), "Windows 98");
  EXPECT_EQ(OSNameForVersion(4, 90), "Windows ME");
  EXPECT_EQ(OSNameForVersion(5, 0), "Windows 2000");
  EXPECT_EQ(OSNameForVersion(5, 1), "Windows XP");
  EXPECT_EQ(OSNameForVersion(5, 2), "Windows 2003");
  EXPECT_EQ(OSNameForVersion(6, 0), "Windows Vista (Windows 2008 Server)");
  EXPECT_EQ(OSNameForVersion(6, 1), "Windows 7");
  EXPECT_EQ(OSNameForVersion(6, 2), "Undefined");
  EXPECT_EQ(OSNameForVersion(10, 0), "Undefined");

  platform::shell::SystemVersion version;
  platform::shell::parseRelease("6.1.0-13-amd64", version);
  GetOSName(version);
  EXPECT_EQ(OSName(), "Windows 7");
  version = {4, 0, 1381, "Other", "4.0", "Other 4.0"};  // the platform is not looked at
  GetOSName(version);
  EXPECT_EQ(OSName(), "Windows NT4");
}

TEST(OsName, UnreadableVersionIsLoggedAndUndefined) {
  testsupport::TempFolder folder;
  InitLogFolder(folder.withSlash());
  AddinLog().SetStamp([] { return std::string("T"); });
  GetOSName(platform::shell::SystemVersion{5, 1, 0, "Linux", "5.1", "Linux 5.1"});
  GetOSName(std::nullopt);
  EXPECT_EQ(OSName(), "Undefined");
  EXPECT_EQ(testsupport::ReadFile(folder.withSlash() + "RingovaLog1.txt"),
            "\"T: Could not get Windows version information.\"\r\n");
}

}  // namespace
}  // namespace ringova
