#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "platform/registry/registry.h"
#include "platform/registry/settings.h"
#include "tests/support/temp_folder.h"

using testsupport::TempFolder;

namespace platform {
namespace {

class RegistryTest : public ::testing::Test {
 protected:
  TempFolder temp;
  std::filesystem::path file = temp.path() / "store" / "user.reg";
  Registry reg{file};
};

TEST_F(RegistryTest, ValuesSurviveTheFileAndAnotherReader) {
  const std::string awkward = "a \"quoted\" \\path\\\nline2\r\ttab \x01 end \xC3\xA4";
  ASSERT_TRUE(reg.setString("Software\\App\\Settings", "Text", awkward));
  ASSERT_TRUE(reg.setDWord("Software\\App\\Settings", "Port", 4294967295u));
  ASSERT_TRUE(reg.setString("Software\\App\\Settings", "", "default value"));
  ASSERT_TRUE(reg.setString("Software\\App\\Settings", "Empty", ""));

  Registry other(file);
  EXPECT_EQ(other.getString("Software\\App\\Settings", "Text"), awkward);
  EXPECT_EQ(other.getDWord("Software\\App\\Settings", "Port"), 4294967295u);
  EXPECT_EQ(other.getString("Software\\App\\Settings", ""), "default value");
  EXPECT_EQ(other.getString("Software\\App\\Settings", "Empty"), "");
  // A value of the other type reads as absent through the typed shortcuts.
  EXPECT_FALSE(other.getDWord("Software\\App\\Settings", "Text"));
  EXPECT_FALSE(other.getString("Software\\App\\Settings", "Port"));
  EXPECT_EQ(other.value("Software\\App\\Settings", "Port"), RegistryValue::ofDWord(4294967295u));
  EXPECT_FALSE(other.getString("Software\\App\\Settings", "Missing"));
  EXPECT_FALSE(other.getString("Software\\Nowhere", "Text"));
}

TEST_F(RegistryTest, AReaderSeesEveryWriteOfAnotherObject) {
  Registry other(file);
  for (int i = 0; i < 20; ++i) {
    std::string v = i % 2 ? "odd" : "eve";  // same size, written within the same clock tick
    ASSERT_TRUE(reg.setString("K", "v", v));
    EXPECT_EQ(other.getString("K", "v"), v) << i;
  }
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepTheirSpelling) {
  ASSERT_TRUE(reg.setString("Software\\RingovaAddIn\\Settings", "ServAddr", "a"));
  ASSERT_TRUE(reg.setString("SOFTWARE\\ringovaaddin\\SETTINGS", "SERVADDR", "b"));
  EXPECT_EQ(reg.getString("software\\RINGOVAADDIN\\settings", "servaddr"), "b");
  EXPECT_EQ(reg.subKeys("Software"), std::vector<std::string>{"RingovaAddIn"});
  EXPECT_EQ(reg.valueNames("Software\\RingovaAddIn\\Settings"),
            std::vector<std::string>{"ServAddr"});
}

TEST_F(RegistryTest, KeysEnumerateInNameOrderAndDeleteWithTheirSubKeys) {
  const std::string list = "SOFTWARE\\Telephony\\Country List";
  for (const char* k : {"49", "1", "33", "7"})
    ASSERT_TRUE(reg.setString(list + "\\" + k, "Name", std::string("country ") + k));
  ASSERT_TRUE(reg.createKey("SOFTWARE\\Empty\\Key"));
  EXPECT_TRUE(reg.keyExists("software\\empty\\key"));
  EXPECT_EQ(reg.subKeys(list), (std::vector<std::string>{"1", "33", "49", "7"}));

  EXPECT_TRUE(reg.deleteKey("SOFTWARE\\Telephony"));
  EXPECT_FALSE(reg.keyExists(list));
  EXPECT_FALSE(reg.deleteKey("SOFTWARE\\Telephony"));
  EXPECT_TRUE(reg.keyExists("SOFTWARE\\Empty\\Key"));  // an empty key is kept in the file too
  EXPECT_TRUE(reg.deleteValue("SOFTWARE\\Empty\\Key", "x") == false);
}

TEST_F(RegistryTest, RefusesMalformedKeyPaths) {
  EXPECT_FALSE(reg.setString("Software\\\\Double", "v", "x"));
  EXPECT_FALSE(reg.setString("Software\\Trailing\\", "v", "x"));
  EXPECT_FALSE(reg.setString("Soft\nware", "v", "x"));
  EXPECT_FALSE(reg.createKey("\\Leading"));
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(RegistryTest, StoreIsPrivateAndWrittenWithoutLeftovers) {
  ASSERT_TRUE(reg.setString("K", "v", "secret"));
  ASSERT_TRUE(reg.setString("K", "w", "more"));
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat(file.parent_path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
    std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "user.reg" || name == "user.reg.lock") << name;
  }
}

TEST_F(RegistryTest, StoreMadeReadableByOthersIsPrivateAgainAndStaleTemporariesGo) {
  ASSERT_TRUE(reg.setString("K", "v", "secret"));
  ::chmod(file.c_str(), 0644);
  // What a writer killed between writing and renaming leaves; pid 0x7ffffffe does not run.
  std::filesystem::path stale = file;
  stale += ".tmp2147483646-0";
  { std::ofstream(stale) << "cut"; }
  std::filesystem::path live = file;
  live += ".tmp" + std::to_string(::getppid()) + "-0";
  { std::ofstream(live) << "being written"; }
  ASSERT_TRUE(reg.setString("K", "w", "more"));
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_TRUE(std::filesystem::exists(live));  // its writer still runs
}

TEST_F(RegistryTest, SetIfMissingNeverReplacesAValue) {
  using platform::RegistryValue;
  ASSERT_TRUE(reg.setValueIfMissing("K", "v", RegistryValue::ofString("first")));
  ASSERT_TRUE(reg.setValueIfMissing("K", "V", RegistryValue::ofString("second")));
  EXPECT_EQ(reg.getString("K", "v"), "first");
  EXPECT_FALSE(reg.setValueIfMissing("K\\", "v", RegistryValue::ofString("x")));
}

TEST_F(RegistryTest, UnparsableStoreReadsEmptyAndIsNeverOverwritten) {
  std::filesystem::create_directories(file.parent_path());
  { std::ofstream(file) << "[Software]\n\"broken=sz:\"x\n"; }
  EXPECT_FALSE(reg.getString("Software", "broken"));
  EXPECT_FALSE(reg.setString("Software", "v", "x"));
  std::ifstream in(file);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "[Software]");
}

TEST_F(RegistryTest, HivesFollowTheEnvironment) {
  ::setenv("TELVANE_USER_REGISTRY", "/x/user.reg", 1);
  ::setenv("TELVANE_MACHINE_REGISTRY", "/y/machine.reg", 1);
  EXPECT_EQ(registryFile(RegistryHive::CurrentUser), "/x/user.reg");
  EXPECT_EQ(registryFile(RegistryHive::LocalMachine), "/y/machine.reg");
  ::unsetenv("TELVANE_USER_REGISTRY");
  ::unsetenv("TELVANE_MACHINE_REGISTRY");
  ::setenv("XDG_CONFIG_HOME", temp.path().c_str(), 1);
  EXPECT_EQ(registryFile(RegistryHive::CurrentUser), temp.path() / "telvane" / "user.reg");
  EXPECT_EQ(registryFile(RegistryHive::LocalMachine), "/etc/telvane/machine.reg");
}

TEST_F(RegistryTest, SettingsAreTextUnderTheApplicationKey) {
  EXPECT_EQ(getSetting(reg, "RingovaAddIn", "Settings", "ServAddr", "127.0.0.1"), "127.0.0.1");
  ASSERT_TRUE(saveSetting(reg, "RingovaAddIn", "Settings", "Incoming", "True"));
  ASSERT_TRUE(saveSetting(reg, "RingovaAddIn", "Settings", "ServAddr", ""));
  EXPECT_EQ(reg.getString("Software\\RingovaAddIn\\Settings", "Incoming"), "True");
  // A stored empty text is a value; the default only stands in for a missing one.
  EXPECT_EQ(getSetting(reg, "RingovaAddIn", "Settings", "ServAddr", "127.0.0.1"), "");
  EXPECT_TRUE(deleteSetting(reg, "RingovaAddIn", "Settings", "ServAddr"));
  EXPECT_EQ(getSetting(reg, "RingovaAddIn", "Settings", "ServAddr", "127.0.0.1"), "127.0.0.1");

  ::setenv("TELVANE_USER_REGISTRY", (temp.path() / "env.reg").c_str(), 1);
  ASSERT_TRUE(saveSetting("RingovaAddIn", "Settings", "UserName", "201"));
  EXPECT_EQ(getSetting("RingovaAddIn", "Settings", "UserName"), "201");
  EXPECT_EQ(Registry(temp.path() / "env.reg")
                .getString(settingsKey("RingovaAddIn", "Settings"), "UserName"),
            "201");
  ::unsetenv("TELVANE_USER_REGISTRY");
}

}  // namespace
}  // namespace platform
