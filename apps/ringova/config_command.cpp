#include "apps/ringova/config_command.h"

#include "platform/registry/registry.h"
#include "platform/registry/settings.h"

namespace ringova::host {

namespace {

constexpr std::string_view kApp = "RingovaAddIn";
constexpr std::string_view kSection = "Settings";

}  // namespace

int RunConfig(const HostOptions& options, std::FILE* out, std::FILE* err) {
  platform::Registry user(platform::RegistryHive::CurrentUser);
  if (!user.readable()) {
    std::fprintf(err, "ringova: %s cannot be read\n", user.file().c_str());
    return 1;
  }
  const std::string key = platform::settingsKey(kApp, kSection);
  switch (options.command) {
    case Command::ConfigList:
      for (const std::string& name : user.valueNames(key)) {
        const auto text = user.getString(key, name);
        std::fprintf(out, "%s=%s\n", name.c_str(), text.value_or("").c_str());
      }
      return 0;
    case Command::ConfigGet: {
      const auto text = user.getString(key, options.name);
      if (!text) {
        std::fprintf(err, "ringova: %s is not set\n", options.name.c_str());
        return 1;
      }
      std::fprintf(out, "%s\n", text->c_str());
      return 0;
    }
    case Command::ConfigSet:
      if (!platform::saveSetting(user, kApp, kSection, options.name, options.value)) {
        std::fprintf(err, "ringova: %s cannot be written\n", user.file().c_str());
        return 1;
      }
      return 0;
    default:
      return 2;
  }
}

}  // namespace ringova::host
