#pragma once
// Finding a caller among the phone records: the caller text reduced to the forms that are
// compared (CallerQuery), the reference walk over the records, and the index that gives the
// walk's answer without walking.
//
// A record matches when, for some kind in PhoneKind order, its canonical number P (never an empty
// one) equals the caller's user part; or the caller has an "@" part and P equals the whole
// address; or a location country is known and P equals the national form, or begins with the
// country prefix and ends with the national form. The answer is the first record in table order
// (emptied slots are passed over) and, in it, the first kind that matches.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ringova_outlook/contacts/phone_record.h"

namespace ringova {

class LocationCountry;

// The location's prefixes, e.g. "+49" and "0"; both empty without a location country.
struct DialPrefixes {
  std::string CountryPrefix;
  std::string LongDistancePrefix;
};
using PrefixSource = std::function<DialPrefixes()>;

// Reads the location's prefixes at each lookup; location must outlive the source.
PrefixSource PrefixesOf(const LocationCountry& location);

struct CallerQuery {
  std::string address;   // trimmed, "&gt;" removed, lower case, angle brackets and scheme taken off
  std::string user;      // address up to the first "@"
  std::string national;  // user without the long-distance prefix; empty without a country
  std::string country_prefix;
};

CallerQuery MakeCallerQuery(std::string_view caller, const DialPrefixes& prefixes);

struct CallerMatch {
  int16_t record = -1;
  PhoneKind kind = PhoneKind::business;
  bool found() const { return record >= 0; }
};

// Whether a canonical number answers the query by one of the three rules.
bool NumberMatches(std::string_view normalized, const CallerQuery& query);

// The reference: every record in order, every kind in PhoneKind order.
CallerMatch WalkForCaller(const std::vector<PhoneRecord>& records, const CallerQuery& query);

// The same answer from sorted tables of the canonical numbers. Built on first use after the
// records changed (Invalidate), and the country part again when the country prefix changes.
class CallerIndex {
 public:
  CallerIndex();
  ~CallerIndex();
  CallerIndex(const CallerIndex&) = delete;
  CallerIndex& operator=(const CallerIndex&) = delete;

  void Invalidate();
  CallerMatch Find(const std::vector<PhoneRecord>& records, const CallerQuery& query);

 private:
  struct Tables;
  std::unique_ptr<Tables> tables_;
};

}  // namespace ringova
