// How stored and typed setting texts read.
#include <gtest/gtest.h>

#include "ringova_outlook/frontend/addin_settings.h"

namespace ringova {
namespace {

TEST(SettingsRulesTest, PortsFromOneTo65535ReadAsStoredAnythingElseAsTheDefault) {
  EXPECT_EQ(ReadPort("4849"), 4849);
  EXPECT_EQ(ReadPort("1"), 1);
  EXPECT_EQ(ReadPort("32768"), 32768);  // beyond a signed 16-bit number
  EXPECT_EQ(ReadPort("65535"), 65535);
  EXPECT_EQ(ReadPort(" 5060 "), 5060);
  for (const char* bad : {"", "0", "65536", "-1", "abc", "50x", "99999999999999999999"}) {
    EXPECT_EQ(ReadPort(bad), kDefaultServPort) << bad;
  }
}

TEST(SettingsRulesTest, TimesAreBroughtIntoTheirRanges) {
  EXPECT_EQ(ReadTimeIncoming("0"), 1);
  EXPECT_EQ(ReadTimeIncoming("-5"), 1);
  EXPECT_EQ(ReadTimeIncoming("61"), 60);
  EXPECT_EQ(ReadTimeIncoming("15"), 15);
  EXPECT_EQ(ReadTimeIncoming("soon"), 1);
  EXPECT_EQ(ReadTimeReconnect("10"), 30);
  EXPECT_EQ(ReadTimeReconnect("1000"), 600);
  EXPECT_EQ(ReadTimeReconnect("150"), 150);
  EXPECT_EQ(ReadTimeReconnect("never"), 30);
  EXPECT_EQ(ReadTimeReconnect(""), 30);
}

TEST(SettingsRulesTest, BooleansReadTheirTextsOrNumbersElseTheDefault) {
  EXPECT_TRUE(ReadBool("True", false));
  EXPECT_TRUE(ReadBool("TRUE", false));
  EXPECT_FALSE(ReadBool("false", true));
  EXPECT_TRUE(ReadBool("-1", false));
  EXPECT_FALSE(ReadBool("0", true));
  EXPECT_TRUE(ReadBool("", true));
  EXPECT_FALSE(ReadBool("yes please", false));
  EXPECT_STREQ(BoolText(true), "True");
  EXPECT_STREQ(BoolText(false), "False");
}

TEST(SettingsRulesTest, TypedFieldsReadTheirLeadingNumber) {
  EXPECT_EQ(FieldNumber(" 45 "), 45);
  EXPECT_EQ(FieldNumber("45s"), 45);
  EXPECT_EQ(FieldNumber("abc"), 0);
  EXPECT_EQ(FieldNumber("1e30"), INT_MAX);
  EXPECT_EQ(FieldPort("40000"), 40000);
  EXPECT_EQ(FieldPort("0"), 0);
  EXPECT_EQ(FieldPort("70000"), 0);
  EXPECT_EQ(FieldPort("port"), 0);
}

}  // namespace
}  // namespace ringova
