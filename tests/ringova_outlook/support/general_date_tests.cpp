#include <gtest/gtest.h>

#include "ringova_outlook/support/general_date.h"

namespace ringova {
namespace {

TEST(GeneralDate, ShortDateAndLongTimeWithFourDigitYears) {
  std::tm time{};
  time.tm_year = 2026 - 1900;
  time.tm_mon = 11;
  time.tm_mday = 8;
  time.tm_hour = 10;
  time.tm_min = 24;
  time.tm_sec = 2;
  EXPECT_EQ(FormatGeneralDate(time, "C"), "12/08/2026 10:24:02");
  EXPECT_EQ(FormatGeneralDate(time, "no_SUCH.locale"), "12/08/2026 10:24:02");
  EXPECT_FALSE(GeneralDateNow().empty());
}

}  // namespace
}  // namespace ringova
