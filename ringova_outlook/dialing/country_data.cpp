#include "ringova_outlook/dialing/country_data.h"

#include <charconv>

namespace ringova {
namespace {

std::vector<std::string_view> Split(std::string_view line, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    size_t end = line.find(separator, start);
    parts.push_back(line.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

bool IsDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

bool ParseCountryData(std::string_view text, std::vector<CountryRecord>& records,
                      std::string& error) {
  records.clear();
  int lineNumber = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    std::vector<std::string_view> f = Split(line, ';');
    CountryRecord r;
    if (f.size() != 5 || !IsDigits(f[0]) || !IsDigits(f[1]) || (!f[2].empty() && !IsDigits(f[2])) ||
        (!f[3].empty() && !IsDigits(f[3])) || f[4].empty() ||
        std::from_chars(f[1].data(), f[1].data() + f[1].size(), r.countryCode).ec != std::errc()) {
      error = "line " + std::to_string(lineNumber);
      return false;
    }
    r.id = f[0];
    r.internationalRule = std::string(f[2]) + "EFG";
    r.longDistanceRule = std::string(f[3]) + "FG";
    r.name = f[4];
    records.push_back(std::move(r));
  }
  return true;
}

const std::vector<CountryRecord>& ShippedCountries() {
  static const std::vector<CountryRecord> records = [] {
    std::vector<CountryRecord> parsed;
    std::string error;
    if (!ParseCountryData(ShippedCountryData(), parsed, error)) parsed.clear();
    return parsed;
  }();
  return records;
}

bool InstallCountryList(platform::Registry& machine, const std::vector<CountryRecord>& records) {
  using platform::RegistryValue;
  std::vector<platform::RegistryWrite> writes;
  writes.reserve(records.size() * 4);
  for (const CountryRecord& r : records) {
    std::string key = std::string(kCountryListKey) + "\\" + r.id;
    writes.push_back({key, "CountryCode", RegistryValue::ofDWord(r.countryCode)});
    writes.push_back({key, "InternationalRule", RegistryValue::ofString(r.internationalRule)});
    writes.push_back({key, "LongDistanceRule", RegistryValue::ofString(r.longDistanceRule)});
    writes.push_back({key, "Name", RegistryValue::ofString(r.name)});
  }
  // One change of the store: a failed install leaves no half list behind.
  if (writes.empty()) return machine.createKey(kCountryListKey);
  return machine.setValues(writes);
}

bool EnsureCountryList(platform::Registry& machine) {
  if (machine.keyExists(kCountryListKey)) return true;
  const std::vector<CountryRecord>& records = ShippedCountries();
  if (records.empty()) return false;
  return InstallCountryList(machine, records) && machine.keyExists(kCountryListKey);
}

}  // namespace ringova
