#pragma once
// Points both registry stores at files in a fresh temporary folder for the life of the object.
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

class TemporaryRegistry {
 public:
  TemporaryRegistry() {
    std::string pattern = (std::filesystem::temp_directory_path() / "telvane-com-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    keep("TELVANE_USER_REGISTRY", user_);
    keep("TELVANE_MACHINE_REGISTRY", machine_);
    ::setenv("TELVANE_USER_REGISTRY", userFile().c_str(), 1);
    ::setenv("TELVANE_MACHINE_REGISTRY", machineFile().c_str(), 1);
  }
  ~TemporaryRegistry() {
    restore("TELVANE_USER_REGISTRY", user_);
    restore("TELVANE_MACHINE_REGISTRY", machine_);
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  TemporaryRegistry(const TemporaryRegistry&) = delete;
  TemporaryRegistry& operator=(const TemporaryRegistry&) = delete;

  std::filesystem::path userFile() const { return folder_ / "user.reg"; }
  std::filesystem::path machineFile() const { return folder_ / "machine.reg"; }
  const std::filesystem::path& folder() const { return folder_; }

 private:
  static void keep(const char* name, std::optional<std::string>& slot) {
    if (const char* v = ::getenv(name)) slot = v;
  }
  static void restore(const char* name, const std::optional<std::string>& slot) {
    if (slot) {
      ::setenv(name, slot->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }

  std::filesystem::path folder_;
  std::optional<std::string> user_, machine_;
};
