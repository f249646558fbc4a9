#include "ringova_outlook/frontend/settings_store.h"

#include "platform/registry/settings.h"

namespace ringova {

SettingsStore::SettingsStore(platform::Registry& registry, Log log)
    : registry_(registry), log_(std::move(log)) {}

std::string SettingsStore::Read(std::string_view name) {
  if (!registry_.readable()) {
    if (!read_failure_logged_ && log_) {
      log_("Settings store " + registry_.file().string() + " cannot be read: using defaults");
    }
    read_failure_logged_ = true;
    return {};
  }
  return platform::getSetting(registry_, kAddinRegistryApp, kAddinSettingsSection, name);
}

bool SettingsStore::Write(std::string_view name, std::string_view text) {
  if (platform::saveSetting(registry_, kAddinRegistryApp, kAddinSettingsSection, name, text)) {
    return true;
  }
  if (!write_failure_logged_ && log_) {
    log_("Settings store " + registry_.file().string() + " cannot be written: settings not saved");
  }
  write_failure_logged_ = true;
  return false;
}

AddinSettings SettingsStore::Load(bool& mandatory_missing) {
  AddinSettings s;
  std::string addr = Read("ServAddr");
  if (!addr.empty()) s.ServAddr = addr;
  s.ServPort = ReadPort(Read("ServPort"));
  s.UserName = Read("UserName");
  mandatory_missing = addr.empty() || s.UserName.empty();
  s.Password = Read("Password");
  s.TimeIncoming = ReadTimeIncoming(Read("TimeIncoming"));
  s.TimeReconnect = ReadTimeReconnect(Read("TimeReconnect"));
  s.Incoming = ReadBool(Read("Incoming"), true);
  s.Secure = ReadBool(Read("Secure"), false);
  s.Reconnect = ReadBool(Read("Reconnect"), true);
  s.TapiPhone = ReadBool(Read("TapiPhone"), false);
  s.FillContacts = ReadBool(Read("FillContacts"), true);
  // Stored too, but the two modes exclude each other.
  s.LoadSelectedFolders = !s.FillContacts;
  s.CheckUpdate = ReadBool(Read("CheckUpdate"), false);
  s.DontShowOnStartup = ReadBool(Read("DontShowOnStartup"), false);
  s.SelectedContactFolders = Read("SelectedContactFolders");
  s.Activated = ReadBool(Read("Activated"), false);
  s.Country = Read("Country");
  s.PathLogFile = Read("PathLogFile");
  s.DesktopNotifications = ReadBool(Read("DesktopNotifications"), true);
  return s;
}

}  // namespace ringova
