#pragma once
// The system's version record.
#include <cstdint>
#include <optional>
#include <string>

namespace platform::shell {

struct SystemVersion {
  uint32_t major = 0;  // of the kernel release, "6.1.0-13-amd64" gives 6, 1, 0
  uint32_t minor = 0;
  uint32_t build = 0;
  std::string platform;  // "Linux"
  std::string release;   // the kernel release text
  std::string name;      // PRETTY_NAME of /etc/os-release, else platform + " " + release
};

// Parses "6.1.0-13-amd64" into its first three numbers (missing ones are 0).
void parseRelease(const std::string& release, SystemVersion& out);
std::optional<SystemVersion> querySystemVersion();

}  // namespace platform::shell
