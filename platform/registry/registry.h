#pragma once
// A small registry: a tree of keys holding named text (REG_SZ) and number (REG_DWORD) values,
// kept in one text file per store.
//
// Key paths are separated by backslashes ("Software\\RingovaAddIn\\Settings"); key and value names
// are compared ignoring ASCII letter case and keep the case they were created with. The empty value
// name is the key's default value. Sub-keys and values enumerate in name order.
//
// Every operation looks at the file afresh, so several Registry objects (and processes) on one
// file see each other's writes; the parsed tree is reused while the file is unchanged. Every change
// rewrites the whole file atomically (temporary file in the same folder, then rename), so a crash
// leaves either the old or the new store, never a mix. The file and its temporary are created with
// mode 0600; missing folders are created with mode 0700. Writers in different processes are
// serialised by a lock on "<file>.lock".
//
// No operation throws. Reads of a missing or unreadable store see an empty tree; a store that
// cannot be parsed is treated as unreadable and is never overwritten (writes to it fail).
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

namespace registry_detail {
class StoreCache;
}

enum class RegistryHive {
  CurrentUser,   // $TELVANE_USER_REGISTRY, else $XDG_CONFIG_HOME/telvane/user.reg
  LocalMachine,  // $TELVANE_MACHINE_REGISTRY, else /etc/telvane/machine.reg
};

// The file that holds a hive, following the environment at the time of the call.
std::filesystem::path registryFile(RegistryHive hive);

enum class RegistryValueType { String, DWord };

struct RegistryValue {
  RegistryValueType type = RegistryValueType::String;
  std::string text;     // for String
  uint32_t number = 0;  // for DWord

  static RegistryValue ofString(std::string s) {
    return {RegistryValueType::String, std::move(s), 0};
  }
  static RegistryValue ofDWord(uint32_t n) { return {RegistryValueType::DWord, {}, n}; }
  bool operator==(const RegistryValue&) const = default;
};

// One value to set with Registry::setValues.
struct RegistryWrite {
  std::string key;
  std::string name;
  RegistryValue value;
};

class Registry {
 public:
  explicit Registry(std::filesystem::path file);
  ~Registry();
  Registry(Registry&&) noexcept;
  Registry& operator=(Registry&&) noexcept;
  explicit Registry(RegistryHive hive) : Registry(registryFile(hive)) {}

  const std::filesystem::path& file() const { return file_; }
  // False when the store exists but cannot be read or parsed (reads then see nothing and writes
  // fail); a missing store is readable and empty.
  bool readable() const;

  // Keys. A key path must have non-empty components without control characters.
  bool keyExists(std::string_view key) const;
  bool createKey(std::string_view key);  // with missing parents; true if it exists afterwards
  bool deleteKey(std::string_view key);  // with all its sub-keys; false if it did not exist
  std::vector<std::string> subKeys(std::string_view key) const;  // names, not paths
  std::vector<std::string> valueNames(std::string_view key) const;

  // Values. Setting a value creates its key.
  std::optional<RegistryValue> value(std::string_view key, std::string_view name) const;
  bool setValue(std::string_view key, std::string_view name, const RegistryValue& value);
  bool deleteValue(std::string_view key, std::string_view name);  // false if it did not exist
  // Sets the value only while the key has none of that name, in one change of the store, so it
  // never replaces what another writer set meanwhile. True when a value is there afterwards.
  bool setValueIfMissing(std::string_view key, std::string_view name, const RegistryValue& value);
  // Sets all the values (creating their keys) in one change of the store: all of them, or none
  // when a key path is invalid or the store cannot be written.
  bool setValues(const std::vector<RegistryWrite>& writes);

  // Typed shortcuts; a value of the other type reads as absent.
  std::optional<std::string> getString(std::string_view key, std::string_view name) const;
  std::optional<uint32_t> getDWord(std::string_view key, std::string_view name) const;
  bool setString(std::string_view key, std::string_view name, std::string_view text);
  bool setDWord(std::string_view key, std::string_view name, uint32_t number);

 private:
  std::filesystem::path file_;
  std::unique_ptr<registry_detail::StoreCache> cache_;
};

}  // namespace platform
