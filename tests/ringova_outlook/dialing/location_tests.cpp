#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/shell/recording_shell.h"
#include "platform/ui/clock.h"
#include "platform/ui/form.h"
#include "platform/ui/toolkit.h"
#include "ringova_outlook/dialing/country_data.h"
#include "ringova_outlook/dialing/location_country.h"
#include "ringova_outlook/dialing/registry_value.h"
#include "tests/support/temp_folder.h"

namespace ringova {
namespace {

using platform::Registry;
using platform::ui::ComboBox;

const std::string kKey = kCountryListKey;

class LocationTest : public ::testing::Test {
 protected:
  void AddCountry(const std::string& id, uint32_t code, const std::string& longDistance,
                  const std::string& name) {
    std::string key = kKey + "\\" + id;
    ASSERT_TRUE(machine.setDWord(key, "CountryCode", code));
    ASSERT_TRUE(machine.setString(key, "InternationalRule", "00EFG"));
    ASSERT_TRUE(machine.setString(key, "LongDistanceRule", longDistance));
    ASSERT_TRUE(machine.setString(key, "Name", name));
  }
  std::vector<std::string> Choices() const {
    std::vector<std::string> out;
    for (const auto& e : choices.entries()) out.push_back(e.text);
    return out;
  }
  LocationCountry Location(bool install = false) {
    return LocationCountry(
        machine, shell, [this](std::string_view l) { log.emplace_back(l); },
        LocationCountry::Options{install});
  }

  testsupport::TempFolder folder;
  Registry machine{folder.withSlash() + "machine.reg"};
  platform::shell::RecordingShell shell;
  platform::ui::ManualClock clock;
  platform::ui::MessageLoop loop{clock};
  platform::ui::Toolkit toolkit{loop};
  platform::ui::Form form{toolkit, "fMain"};
  ComboBox& choices = form.add<ComboBox>("cboCountry");
  std::vector<std::string> log;
};

TEST_F(LocationTest, LoadsTheListSelectsTheSavedCountryAndSetsItsPrefixes) {
  choices.setStyle(platform::ui::ComboStyle::DropDownList);
  AddCountry("1", 1, "1FG", "United States of America");
  AddCountry("49", 49, "0FG", "Germany");
  LocationCountry location = Location();
  std::string setting = "Germany";
  location.LoadCountryList(setting, choices);
  EXPECT_EQ(Choices(), (std::vector<std::string>{"", "United States of America", "Germany"}));
  EXPECT_EQ(choices.listIndex(), 2);
  EXPECT_EQ(setting, "Germany");
  EXPECT_EQ(location.CountryPrefix(), "+49");
  EXPECT_EQ(location.LongDistancePrefix(), "0");
  EXPECT_EQ(location.LocationName(), "Germany");
  EXPECT_EQ(log, (std::vector<std::string>{"Ringova Location country: Germany"}));

  int16_t index = 0;
  location.SetInterPrefix("United States of America", index);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(location.CountryPrefix(), "+1");
  EXPECT_EQ(location.LongDistancePrefix(), "1");
  location.SetInterPrefix("", index);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(location.CountryPrefix(), "");
  EXPECT_EQ(location.LocationName(), "");
  EXPECT_TRUE(shell.messageBoxes().empty());
}

TEST_F(LocationTest, ACountryNotInTheListExactlyClearsTheSetting) {
  AddCountry("49", 49, "0FG", "Germany");
  LocationCountry location = Location();
  std::string setting = "germany";  // case matters
  location.LoadCountryList(setting, choices);
  EXPECT_EQ(setting, "");
  EXPECT_EQ(location.CountryPrefix(), "");
  EXPECT_EQ(location.LongDistancePrefix(), "");
  EXPECT_EQ(log, (std::vector<std::string>{"Ringova Location country isn't set"}));

  // A name not found leaves LocationName as it was.
  int16_t index = 0;
  location.SetInterPrefix("Germany", index);
  location.SetInterPrefix("Atlantis", index);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(location.LocationName(), "Germany");
  EXPECT_EQ(location.CountryPrefix(), "");
}

TEST_F(LocationTest, MissingValuesReadAsEmptyText) {
  ASSERT_TRUE(machine.setString(kKey + "\\9", "Name", "Nowhere"));
  ASSERT_TRUE(machine.setDWord(kKey + "\\9", "LongDistanceRule", 7));  // a number, read as text
  LocationCountry location = Location();
  std::string setting = "Nowhere";
  location.LoadCountryList(setting, choices);
  EXPECT_EQ(location.CountryPrefix(), "+");
  EXPECT_EQ(location.LongDistancePrefix(), "7");
  ASSERT_EQ(location.Countries().size(), 1u);
  EXPECT_EQ(location.Countries()[0].CountryCode, "");
}

TEST_F(LocationTest, NoCountryListShowsAMessageAndKeepsTheLocation) {
  AddCountry("49", 49, "0FG", "Germany");
  LocationCountry location = Location();
  std::string setting = "Germany";
  location.LoadCountryList(setting, choices);
  ASSERT_TRUE(machine.deleteKey(kKey));
  log.clear();
  location.LoadCountryList(setting, choices);
  ASSERT_EQ(shell.messageBoxes().size(), 1u);
  EXPECT_EQ(shell.messageBoxes()[0].text, "There are not country codes");
  EXPECT_EQ(shell.messageBoxes()[0].title, "Ringova");
  EXPECT_EQ(Choices(), (std::vector<std::string>{""}));
  EXPECT_TRUE(location.Countries().empty());
  EXPECT_EQ(location.CountryPrefix(), "+49");
  EXPECT_EQ(setting, "Germany");
  EXPECT_TRUE(log.empty());
}

TEST_F(LocationTest, TheShippedListIsInstalledAtFirstRunWithTheRightPrefixes) {
  LocationCountry location = Location(true);
  std::string setting = "Germany";
  location.LoadCountryList(setting, choices);
  EXPECT_TRUE(shell.messageBoxes().empty());
  EXPECT_EQ(location.Countries().size(), ShippedCountries().size());
  EXPECT_GT(location.Countries().size(), 200u);

  struct Expected {
    const char* name;
    const char* countryPrefix;
    const char* longDistancePrefix;
  };
  for (const Expected& e :
       {Expected{"Germany", "+49", "0"}, Expected{"United States of America", "+1", "1"},
        Expected{"Canada", "+1", "1"}, Expected{"Italy", "+39", ""},
        Expected{"Hungary", "+36", "06"}, Expected{"Russia", "+7", "8"},
        Expected{"United Kingdom", "+44", "0"}, Expected{"Japan", "+81", "0"},
        Expected{"Australia", "+61", "0"}}) {
    int16_t index = -1;
    location.SetInterPrefix(e.name, index);
    EXPECT_GE(index, 0) << e.name;
    EXPECT_EQ(location.CountryPrefix(), e.countryPrefix) << e.name;
    EXPECT_EQ(location.LongDistancePrefix(), e.longDistancePrefix) << e.name;
  }
  // Installed once: a second load reads what is there.
  EXPECT_EQ(QueryRegValue(machine, kKey + "\\49", "CountryCode"), RegValue(uint32_t{49}));
  EXPECT_EQ(QueryRegValue(machine, kKey + "\\49", "InternationalRule"),
            RegValue(std::string("00EFG")));
}

TEST(CountryDataTest, EveryShippedLineParsesWithUniqueKeysAndNames) {
  std::vector<CountryRecord> records;
  std::string error;
  ASSERT_TRUE(ParseCountryData(ShippedCountryData(), records, error)) << error;
  std::set<std::string> ids, names;
  for (const CountryRecord& r : records) {
    EXPECT_TRUE(ids.insert(r.id).second) << r.id;
    EXPECT_TRUE(names.insert(r.name).second) << r.name;
    EXPECT_GT(r.countryCode, 0u) << r.name;
  }
  EXPECT_FALSE(ParseCountryData("49;49;00;0\n", records, error));
  EXPECT_EQ(error, "line 1");
  EXPECT_FALSE(ParseCountryData("# c\n49;4x;00;0;Germany\n", records, error));
  EXPECT_EQ(error, "line 2");
}

TEST(RegistryValueTest, TextNumbersAndMissingValues) {
  testsupport::TempFolder folder;
  Registry reg{folder.withSlash() + "r.reg"};
  ASSERT_TRUE(reg.setString("K", "Text", std::string("ab\0cd", 5)));
  ASSERT_TRUE(reg.setDWord("K", "Number", 4294967295u));
  EXPECT_EQ(QueryRegValue(reg, "K", "Text"), RegValue(std::string("ab")));
  EXPECT_EQ(LastRegResult(), RegResult::Success);
  EXPECT_EQ(RegValueText(QueryRegValue(reg, "K", "Number")), "4294967295");
  EXPECT_EQ(QueryRegValue(reg, "K", "None"), RegValue(std::string()));
  EXPECT_EQ(LastRegResult(), RegResult::FileNotFound);
  EXPECT_EQ(QueryRegValue(reg, "Missing", "Text"), RegValue(std::string()));
}

}  // namespace
}  // namespace ringova
