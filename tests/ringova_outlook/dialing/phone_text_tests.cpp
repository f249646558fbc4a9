#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "ringova_outlook/dialing/number_converter.h"
#include "ringova_outlook/dialing/phone_kind.h"
#include "ringova_outlook/dialing/phone_text.h"

namespace ringova {
namespace {

TEST(PhoneKindTest, LabelsAreTwelveCharactersEndingInDashBlankAndMatchTheirLowerForm) {
  for (const PhoneKindInfo& kind : kPhoneKinds) {
    EXPECT_EQ(kind.label.size(), kPhoneLabelLength) << kind.label;
    EXPECT_TRUE(kind.label.ends_with("- "));
    std::string lower(kind.label);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(lower, kind.lowerLabel);
  }
  EXPECT_EQ(PhoneKindOf(PhoneKind::mobile).label, "Mobile    - ");
  EXPECT_EQ(PhoneKindOf(PhoneKind::other).property, "OtherTelephoneNumber");
}

TEST(PhoneTextTest, NormalizeLowersTrimsAndDropsPunctuation) {
  EXPECT_EQ(NormalizePhone("  +49 (30) 123-4567  "), "+49301234567");
  EXPECT_EQ(NormalizePhone("Tel:100"), "tel:100");
  EXPECT_EQ(NormalizePhone(""), "");
  EXPECT_EQ(NormalizePhone("   "), "");
}

TEST(PhoneTextTest, CleanDialTextStripsTheFirstTwelveCharactersWhenAnyLabelIsFound) {
  EXPECT_EQ(CleanDialText(std::string(PhoneKindOf(PhoneKind::mobile).label) + "+1 (555) 123-4567"),
            "+15551234567");
  // A label later in the text still drops exactly the first 12 characters.
  EXPECT_EQ(CleanDialText("work business  - 5551"), "s5551");
  // Twelve characters or fewer are left alone, even the label itself.
  EXPECT_EQ(CleanDialText("Business  - "), "business");
  EXPECT_EQ(CleanDialText("Car       - 1"), "1");
  EXPECT_EQ(CleanDialText("Tel:100"), "tel:100");
  EXPECT_EQ(CleanDialText("(0221) 98 76-5"), "022198765");
}

TEST(PhoneTextTest, LeadingDigitsSkipBlanksAndStopAtOtherCharacters) {
  EXPECT_EQ(LeadingDigits("0FG"), "0");
  EXPECT_EQ(LeadingDigits(" 1"), "1");
  EXPECT_EQ(LeadingDigits("1 1FG"), "11");
  EXPECT_EQ(LeadingDigits("FG"), "");
  EXPECT_EQ(LeadingDigits(""), "");
  EXPECT_EQ(LeadingDigits("06FG"), "06");
}

TEST(DiscardStartTest, NumberPlusOneRoundedHalfToEven) {
  EXPECT_EQ(DiscardStart(""), 1);
  EXPECT_EQ(DiscardStart("0"), 1);
  EXPECT_EQ(DiscardStart("abc"), 1);
  EXPECT_EQ(DiscardStart("1"), 2);
  EXPECT_EQ(DiscardStart(" 3 digits"), 4);
  EXPECT_EQ(DiscardStart("1.5"), 2);  // 2.5 goes to 2
  EXPECT_EQ(DiscardStart("2.5"), 4);  // 3.5 goes to 4
  EXPECT_EQ(DiscardStart("0.4"), 1);
  EXPECT_EQ(DiscardStart("1e1"), 11);
  EXPECT_EQ(DiscardStart("-0.5"), std::nullopt);  // 0.5 goes to 0
  EXPECT_EQ(DiscardStart("-2"), std::nullopt);
  EXPECT_EQ(DiscardStart("1e300"), std::nullopt);
}

}  // namespace
}  // namespace ringova
