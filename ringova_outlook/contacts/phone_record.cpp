#include "ringova_outlook/contacts/phone_record.h"

#include <array>

namespace ringova {
namespace {

struct KindFields {
  std::string PhoneRecord::*stored;
  std::string PhoneRecord::*normalized;
};

// In PhoneKind order.
constexpr std::array<KindFields, kPhoneKindCount> kFields = {{
    {&PhoneRecord::Business, &PhoneRecord::BusinessNorm},
    {&PhoneRecord::Business2, &PhoneRecord::Business2Norm},
    {&PhoneRecord::Home, &PhoneRecord::HomeNorm},
    {&PhoneRecord::Home2, &PhoneRecord::Home2Norm},
    {&PhoneRecord::Mobile, &PhoneRecord::MobileNorm},
    {&PhoneRecord::Company, &PhoneRecord::CompanyNorm},
    {&PhoneRecord::Car, &PhoneRecord::CarNorm},
    {&PhoneRecord::Other, &PhoneRecord::OtherNorm},
}};

}  // namespace

const std::string& StoredNumber(const PhoneRecord& record, PhoneKind kind) {
  return record.*kFields[static_cast<size_t>(kind)].stored;
}
const std::string& NormalizedNumber(const PhoneRecord& record, PhoneKind kind) {
  return record.*kFields[static_cast<size_t>(kind)].normalized;
}
std::string& StoredNumber(PhoneRecord& record, PhoneKind kind) {
  return record.*kFields[static_cast<size_t>(kind)].stored;
}
std::string& NormalizedNumber(PhoneRecord& record, PhoneKind kind) {
  return record.*kFields[static_cast<size_t>(kind)].normalized;
}

}  // namespace ringova
