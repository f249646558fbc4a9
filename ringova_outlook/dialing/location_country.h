#pragma once
// The user's location country: the country table from the telephony country list of the local
// machine's store, the location-country choice list of the settings window, and the prefixes
// caller lookup uses to tell the national from the international form of a number.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/registry.h"
#include "platform/shell/shell.h"
#include "platform/ui/controls.h"
#include "ringova_outlook/dialing/dialing_log.h"

namespace ringova {

struct CountryEntry {
  std::string Name;
  std::string CountryCode;  // the registry number as decimal text, e.g. "49"
  std::string InternationalRule;
  std::string LongDistanceRule;  // e.g. "0FG"
};

class LocationCountry {
 public:
  struct Options {
    // Install the shipped country list when the store has none (first run).
    bool installWhenMissing = true;
  };

  // All must outlive this object. machine: the local machine's store.
  LocationCountry(platform::Registry& machine, platform::shell::Shell& shell, LogSink log,
                  Options options);
  LocationCountry(platform::Registry& machine, platform::shell::Shell& shell, LogSink log)
      : LocationCountry(machine, shell, std::move(log), Options{}) {}

  // Fills the country table and `choices` (an empty entry, then every Name in table order),
  // selects the entry equal to `setting` (exactly, case matters) and computes the location state.
  // `setting` (the "Country" setting) becomes the found Name, or empty when none was found.
  // Without a country list: the message box "There are not country codes", state unchanged.
  void LoadCountryList(std::string& setting, platform::ui::ComboBox& choices);

  // Sets the prefixes and LocationName for the named country (exact match); index receives its
  // table index, -1 when the name is empty or not found.
  void SetInterPrefix(std::string_view name, int16_t& index);

  const std::vector<CountryEntry>& Countries() const { return countries_; }
  const std::string& CountryPrefix() const { return country_prefix_; }             // e.g. "+49"
  const std::string& LongDistancePrefix() const { return long_distance_prefix_; }  // e.g. "0"
  const std::string& LocationName() const { return location_name_; }

 private:
  platform::Registry& machine_;
  platform::shell::Shell& shell_;
  LogSink log_;
  Options options_;
  std::vector<CountryEntry> countries_;
  std::string country_prefix_;
  std::string long_distance_prefix_;
  std::string location_name_;
};

}  // namespace ringova
