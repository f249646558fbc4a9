#include <curl/curl.h>
#include <gtest/gtest.h>

#include "ringova_outlook/support/internet_errors.h"
#include "ringova_outlook/support/update_server.h"
#include "ringova_outlook/support/update_version.h"
#include "tests/support/temp_folder.h"

namespace ringova {
namespace {

TEST(IsNewerVersion, ComparesComponentByComponentByValue) {
  struct Case {
    const char* offered;
    const char* installed;
    bool newer;
  };
  const AddinVersion own{2, 0, 5};
  const Case cases[] = {
      {"1.2.3", "1.2.3", false},
      {"1.10", "1.9", true},
      {"1.9", "1.10", false},
      {"1.2.1", "1.2", true},
      {"1.2", "1.2.1", false},
      {"1.2.0", "1.2", true},
      {" 1.2.3 ", "1.2.3", false},  // equal once trimmed
      {"2.0.5", "", false},
      {"2.0.6", "", true},
      {"2.0", "", false},
      {"01.002", "1.2", false},
      {"1.2a", "1.2", false},
      {"a.1", "0.1", false},
      {"1..2", "1.0.1", true},
      {"", "1.0", false},
      {"", "", false},
      {"1 2", "11", true},
      {"99999999999999999999999", "99999999999999999999998", true},
      {"3", "10", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsNewerVersion(c.offered, c.installed, own), c.newer)
        << '"' << c.offered << "\" over \"" << c.installed << '"';
  }
}

TEST(OfferedVersion, FirstLineOnlyAndAnyContentGivesAVersionOrNothing) {
  EXPECT_EQ(VersionFromLine("Product=Ringova Version= 3.1 "), "3.1");
  EXPECT_EQ(VersionFromLine("Version=1;rm -rf /"), "1;rm -rf /");  // only ever compared
  EXPECT_EQ(VersionFromLine("version=3.1"), "");

  testsupport::TempFolder temp;
  const auto file = temp.path() / "ringova.conf";
  struct Case {
    std::string content;
    std::string version;
  };
  const std::string megabyte(1 << 20, 'x');
  const Case cases[] = {
      {"", ""},
      {"Version=2.1\r\nVersion=9", "2.1"},
      {"Product\nVersion=9", ""},
      {"Version=4.2", "4.2"},  // no line end
      {megabyte + "Version=5.0\n", "5.0"},
      {std::string("\0\xff\x01Version=\x7f\0 6", 15), std::string("\x7f\0 6", 4)},
      {std::string(kMaxFirstLine, 'y') + "Version=1.0", ""},  // beyond what is looked at
  };
  for (const Case& c : cases) {
    testsupport::WriteFile(file, c.content);
    EXPECT_EQ(ReadOfferedVersion(file), c.version) << c.content.substr(0, 40);
  }
  EXPECT_EQ(ReadOfferedVersion(temp.path() / "missing"), std::nullopt);
  EXPECT_EQ(ReadOfferedVersion(temp.path()), std::nullopt);
}

TEST(UpdateServerName, ParsedFromTheMachineStoreOrTheBuild) {
  EXPECT_EQ(ParseUpdateServer("mirror.example.org"), (UpdateServer{"mirror.example.org", 0}));
  EXPECT_EQ(ParseUpdateServer(" 127.0.0.1:2121 "), (UpdateServer{"127.0.0.1", 2121}));
  EXPECT_EQ(ParseUpdateServer("[::1]:21"), (UpdateServer{"[::1]", 21}));
  for (const char* bad : {"", "a b", "host/path", "user@host", "host:0", "host:70000",
                          "host:", "-x", "host#", "[::1"}) {
    EXPECT_EQ(ParseUpdateServer(bad), std::nullopt) << bad;
  }
  EXPECT_EQ((UpdateServer{"h", 2121}).Name(), "h:2121");
  EXPECT_EQ((UpdateServer{"h", 21}).Name(), "h");

  testsupport::TempFolder temp;
  platform::Registry machine(temp.path() / "machine.reg");
  EXPECT_EQ(ConfiguredUpdateServer(machine), DefaultUpdateServer());
  machine.setString(kUpdateServerKey, kUpdateServerValue, "host/../x");
  EXPECT_EQ(ConfiguredUpdateServer(machine), DefaultUpdateServer());
  machine.setString(kUpdateServerKey, kUpdateServerValue, "mirror:2121");
  EXPECT_EQ(ConfiguredUpdateServer(machine), (UpdateServer{"mirror", 2121}));
}

TEST(InternetErrors, TextsAndTheMappingOfLibcurlResults) {
  EXPECT_EQ(InternetErrorText(12007), "The server name could not be resolved.");
  EXPECT_EQ(InternetErrorText(12011), "The request option can not be set, only queried. ");
  EXPECT_EQ(InternetErrorText(12036), "The request failed because the handle already exists.");
  for (InternetError other : {0u, 3u, 12032u, 12037u}) {
    EXPECT_EQ(InternetErrorText(other), "The connection error details not available.");
  }

  using C = InternetCall;
  EXPECT_EQ(InternetErrorForCurl(C::Connect, CURLE_COULDNT_RESOLVE_HOST), 12007u);
  EXPECT_EQ(InternetErrorForCurl(C::Connect, CURLE_COULDNT_CONNECT), 12029u);
  EXPECT_EQ(InternetErrorForCurl(C::Connect, CURLE_LOGIN_DENIED), 12015u);
  EXPECT_EQ(InternetErrorForCurl(C::Connect, CURLE_FTP_WEIRD_SERVER_REPLY), 12015u);
  EXPECT_EQ(InternetErrorForCurl(C::GetFile, CURLE_OPERATION_TIMEDOUT), 12002u);
  EXPECT_EQ(InternetErrorForCurl(C::SetCurrentDirectory, CURLE_REMOTE_ACCESS_DENIED), 12003u);
  EXPECT_EQ(InternetErrorForCurl(C::GetFile, CURLE_REMOTE_FILE_NOT_FOUND), 12003u);
  EXPECT_EQ(InternetErrorForCurl(C::GetFile, CURLE_FTP_WEIRD_PASV_REPLY), 12003u);
  EXPECT_EQ(InternetErrorForCurl(C::GetFile, CURLE_RECV_ERROR), 12031u);
  EXPECT_EQ(SystemErrorForErrno(ENOENT), 3u);
  EXPECT_EQ(SystemErrorForErrno(ELOOP), 5u);
}

}  // namespace
}  // namespace ringova
