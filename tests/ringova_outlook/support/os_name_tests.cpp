#include <gtest/gtest.h>

#include "ringova_outlook/support/log_file.h"
#include "ringova_outlook/support/os_name.h"
#include "tests/ringova_outlook/support/temp_folder.h"

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

  GetOSName(OsVersionRecord{4, 0, 1381, 1});
  EXPECT_EQ(OSName(), "Windows NT4");
  GetOSName(OsVersionRecord{4, 0, 950, 2});  // the platform is not looked at
  EXPECT_EQ(OSName(), "Windows NT4");
}

TEST(OsName, UnreadableVersionIsLoggedAndUndefined) {
  testing_support::TempFolder folder;
  InitLogFolder(folder.Path());
  AddinLog().SetStamp([] { return std::string("T"); });
  GetOSName(OsVersionRecord{5, 1});
  GetOSName(std::nullopt);
  EXPECT_EQ(OSName(), "Undefined");
  EXPECT_EQ(testing_support::ReadFile(folder.Path() + "RingovaLog1.txt"),
            "\"T: Could not get Windows version information.\"\r\n");
}

}  // namespace
}  // namespace ringova
