#include "ringova_outlook/support/os_name.h"

#include "ringova_outlook/support/log_file.h"

namespace ringova {
namespace {

struct NamedVersion {
  std::uint32_t major;
  std::uint32_t minor;
  const char* name;
};

constexpr NamedVersion kNames[] = {
    {4, 0, "Windows NT4"},
    {4, 10, "Windows 98"},
    {4, 90, "Windows ME"},
    {5, 0, "Windows 2000"},
    {5, 1, "Windows XP"},
    {5, 2, "Windows 2003"},
    {6, 0, "Windows Vista (Windows 2008 Server)"},
    {6, 1, "Windows 7"},
};

std::string& OSNameStore() {
  static std::string name = "Undefined";
  return name;
}

}  // namespace

std::string OSNameForVersion(std::uint32_t major, std::uint32_t minor) {
  for (const auto& named : kNames) {
    if (named.major == major && named.minor == minor) return named.name;
  }
  return "Undefined";
}

const std::string& OSName() {
  return OSNameStore();
}

void GetOSName(const std::optional<platform::shell::SystemVersion>& version) {
  OSNameStore() = "Undefined";
  if (!version) {
    WriteToLogFile("Could not get Windows version information.");
    return;
  }
  OSNameStore() = OSNameForVersion(version->major, version->minor);
}

}  // namespace ringova
