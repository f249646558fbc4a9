#pragma once
// One contact of the directory: its entry id, name, e-mail address and each of its eight numbers
// twice, as the user wrote it (shown and dialled) and in the canonical form (matched).
#include <string>

#include "ringova_outlook/dialing/phone_kind.h"

namespace ringova {

struct PhoneRecord {
  std::string EntryId;  // empty: a free slot
  std::string FullName;
  std::string Home;
  std::string HomeNorm;
  std::string Home2;
  std::string Home2Norm;
  std::string Business;
  std::string BusinessNorm;
  std::string Business2;
  std::string Business2Norm;
  std::string Company;
  std::string CompanyNorm;
  std::string Mobile;
  std::string MobileNorm;
  std::string Car;
  std::string CarNorm;
  std::string Other;
  std::string OtherNorm;
  std::string Email;

  bool operator==(const PhoneRecord&) const = default;
};

// The number of a kind as stored in the contact, and in canonical form.
const std::string& StoredNumber(const PhoneRecord& record, PhoneKind kind);
const std::string& NormalizedNumber(const PhoneRecord& record, PhoneKind kind);
std::string& StoredNumber(PhoneRecord& record, PhoneKind kind);
std::string& NormalizedNumber(PhoneRecord& record, PhoneKind kind);

}  // namespace ringova
