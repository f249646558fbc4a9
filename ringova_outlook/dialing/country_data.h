#pragma once
// The telephony country list the add-in ships, and its installation into the machine store
// when the system has none. The list lives in data/telephony_countries.txt and is compiled in.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/registry.h"

namespace ringova {

// The key of the country list in the local machine's store.
inline constexpr const char* kCountryListKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Country List";

struct CountryRecord {
  std::string id;                 // subkey name
  uint32_t countryCode = 0;       // the calling code
  std::string internationalRule;  // e.g. "00EFG"
  std::string longDistanceRule;   // e.g. "0FG"; "FG" without a trunk prefix
  std::string name;
};

// The records of a list text ("id;code;international prefix;trunk prefix;name" lines, "#"
// comments). False with the line number of the first malformed line.
bool ParseCountryData(std::string_view text, std::vector<CountryRecord>& records,
                      std::string& error);

// The list compiled into the add-in.
std::string_view ShippedCountryData();
const std::vector<CountryRecord>& ShippedCountries();

// Writes the records under kCountryListKey, one subkey each with "CountryCode" (double word),
// "InternationalRule", "LongDistanceRule" and "Name", in one change of the store. False (and
// nothing written) when the store refuses it.
bool InstallCountryList(platform::Registry& machine, const std::vector<CountryRecord>& records);

// Installs the shipped list when the key is missing; true when the key exists afterwards.
bool EnsureCountryList(platform::Registry& machine);

}  // namespace ringova
