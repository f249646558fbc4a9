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
  const auto text =
      registry_.getString(platform::settingsKey(kAddinRegistryApp, kAddinSettingsSection), name);
  known_.insert_or_assign(std::string(name), text);
  return text.value_or("");
}

bool SettingsStore::Write(std::string_view name, std::string_view text) {
  // Unchanged here: the store keeps what it has, possibly another process's newer value.
  const std::string key = platform::settingsKey(kAddinRegistryApp, kAddinSettingsSection);
  const auto known = known_.find(name);
  bool ok = true;
  if (known == known_.end()) {
    ok = registry_.setString(key, name, text);
  } else if (!known->second) {
    ok = registry_.setValueIfMissing(key, name,
                                     platform::RegistryValue::ofString(std::string(text)));
  } else if (*known->second != text) {
    ok = registry_.setString(key, name, text);
  }
  if (ok) {
    known_.insert_or_assign(std::string(name), std::string(text));
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
