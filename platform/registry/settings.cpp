#include "platform/registry/settings.h"

namespace platform {

std::string settingsKey(std::string_view application, std::string_view section) {
  std::string key = "Software\\";
  key += application;
  key += '\\';
  key += section;
  return key;
}

std::string getSetting(Registry& registry, std::string_view application, std::string_view section,
                       std::string_view name, std::string_view fallback) {
  auto text = registry.getString(settingsKey(application, section), name);
  return text ? *text : std::string(fallback);
}

bool saveSetting(Registry& registry, std::string_view application, std::string_view section,
                 std::string_view name, std::string_view text) {
  return registry.setString(settingsKey(application, section), name, text);
}

bool deleteSetting(Registry& registry, std::string_view application, std::string_view section,
                   std::string_view name) {
  return registry.deleteValue(settingsKey(application, section), name);
}

std::string getSetting(std::string_view application, std::string_view section,
                       std::string_view name, std::string_view fallback) {
  Registry user(RegistryHive::CurrentUser);
  return getSetting(user, application, section, name, fallback);
}

bool saveSetting(std::string_view application, std::string_view section, std::string_view name,
                 std::string_view text) {
  Registry user(RegistryHive::CurrentUser);
  return saveSetting(user, application, section, name, text);
}

}  // namespace platform
