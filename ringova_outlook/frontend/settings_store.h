#pragma once
// The per-user store of the add-in's settings. Reading or writing a store that cannot be used
// logs one line and goes on: reads then give the defaults, writes are lost.
//
// Other processes write the same store (`ringova config set`). Each value is written on its own
// under the store's lock, and only when this process changed it since it read or wrote it last (a
// value that was missing is filled in only while it still is), so saving every setting never
// undoes another process's change.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/registry.h"
#include "ringova_outlook/frontend/addin_settings.h"

namespace ringova {

class SettingsStore {
 public:
  using Log = std::function<void(std::string_view)>;
  // registry must outlive the store.
  SettingsStore(platform::Registry& registry, Log log);

  // The stored text of `name`, empty when missing.
  std::string Read(std::string_view name);
  bool Write(std::string_view name, std::string_view text);
  bool WriteBool(std::string_view name, bool value) {
    return Write(name, std::string_view(BoolText(value)));
  }
  bool WriteNumber(std::string_view name, int value) { return Write(name, std::to_string(value)); }

  // Every value of the record in the stored order, with defaults and limits. mandatory_missing
  // tells whether ServAddr or UserName had no stored text.
  AddinSettings Load(bool& mandatory_missing);

 private:
  platform::Registry& registry_;
  Log log_;
  // Each value as last read (nullopt: missing) or written here.
  std::map<std::string, std::optional<std::string>, std::less<>> known_;
  bool read_failure_logged_ = false;
  bool write_failure_logged_ = false;
};

}  // namespace ringova
