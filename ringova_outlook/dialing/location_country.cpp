#include "ringova_outlook/dialing/location_country.h"

#include "ringova_outlook/dialing/country_data.h"
#include "ringova_outlook/dialing/phone_text.h"
#include "ringova_outlook/dialing/registry_value.h"

namespace ringova {

LocationCountry::LocationCountry(platform::Registry& machine, platform::shell::Shell& shell,
                                 LogSink log, Options options)
    : machine_(machine), shell_(shell), log_(std::move(log)), options_(options) {}

void LocationCountry::LoadCountryList(std::string& setting, platform::ui::ComboBox& choices) {
  countries_.clear();
  choices.clear();
  choices.addItem("");

  if (options_.installWhenMissing && !machine_.keyExists(kCountryListKey)) {
    if (!EnsureCountryList(machine_)) log_("LoadCountryList: cannot install the country list");
  }
  if (!machine_.keyExists(kCountryListKey)) {
    shell_.messageBox("There are not country codes", "Ringova");
    return;
  }
  for (const std::string& subkey : machine_.subKeys(kCountryListKey)) {
    std::string path = std::string(kCountryListKey) + "\\" + subkey;
    CountryEntry entry;
    entry.CountryCode = RegValueText(QueryRegValue(machine_, path, "CountryCode"));
    entry.InternationalRule = RegValueText(QueryRegValue(machine_, path, "InternationalRule"));
    entry.LongDistanceRule = RegValueText(QueryRegValue(machine_, path, "LongDistanceRule"));
    entry.Name = RegValueText(QueryRegValue(machine_, path, "Name"));
    choices.addItem(entry.Name);
    countries_.push_back(std::move(entry));
  }

  int selected = choices.findText(setting);
  if (selected >= 0) choices.setListIndex(selected);

  location_name_.clear();
  int16_t index = -1;
  SetInterPrefix(setting, index);
  if (index != -1) {
    setting = location_name_;
    log_("Ringova Location country: " + choices.text());
  } else {
    setting.clear();
    log_("Ringova Location country isn't set");
  }
}

void LocationCountry::SetInterPrefix(std::string_view name, int16_t& index) {
  country_prefix_.clear();
  long_distance_prefix_.clear();
  index = -1;
  if (name.empty()) {
    location_name_.clear();
    return;
  }
  for (size_t i = 0; i < countries_.size() && i <= INT16_MAX; ++i) {
    const CountryEntry& entry = countries_[i];
    if (entry.Name == name) {
      country_prefix_ = '+' + LeadingDigits(entry.CountryCode);
      long_distance_prefix_ = LeadingDigits(entry.LongDistanceRule);
      location_name_ = entry.Name;
      index = static_cast<int16_t>(i);
      return;
    }
  }
}

}  // namespace ringova
