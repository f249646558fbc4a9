#pragma once
// The eight kinds of contact number, in the fixed order every part of the add-in uses, with their
// 12-character labels. A phone-list entry is the display label followed by the stored number.
#include <array>
#include <string_view>

namespace ringova {

enum class PhoneKind { business, business2, home, home2, mobile, company, car, other };

inline constexpr int kPhoneKindCount = 8;
inline constexpr size_t kPhoneLabelLength = 12;

struct PhoneKindInfo {
  PhoneKind kind;
  std::string_view property;    // the contact's property
  std::string_view label;       // display label, blank-padded, ends with "- "
  std::string_view lowerLabel;  // the same in lower case
};

inline constexpr std::array<PhoneKindInfo, kPhoneKindCount> kPhoneKinds = {{
    {PhoneKind::business, "BusinessTelephoneNumber", "Business  - ", "business  - "},
    {PhoneKind::business2, "Business2TelephoneNumber", "Business2 - ", "business2 - "},
    {PhoneKind::home, "HomeTelephoneNumber", "Home      - ", "home      - "},
    {PhoneKind::home2, "Home2TelephoneNumber", "Home2     - ", "home2     - "},
    {PhoneKind::mobile, "MobileTelephoneNumber", "Mobile    - ", "mobile    - "},
    {PhoneKind::company, "CompanyMainTelephoneNumber", "Company   - ", "company   - "},
    {PhoneKind::car, "CarTelephoneNumber", "Car       - ", "car       - "},
    {PhoneKind::other, "OtherTelephoneNumber", "Other     - ", "other     - "},
}};

inline const PhoneKindInfo& PhoneKindOf(PhoneKind kind) {
  return kPhoneKinds[static_cast<size_t>(kind)];
}

}  // namespace ringova
