#include "ringova_outlook/support/special_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string_view>
#include <vector>

namespace ringova {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::string HomeFolder() {
  std::string home = Env("HOME");
  if (!home.empty()) return home;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return {};
}

// A base directory variable must hold an absolute path to count.
std::string AbsoluteOr(std::string value, const std::string& fallback) {
  return !value.empty() && value.front() == '/' ? value : fallback;
}

std::string UnderHome(std::string_view relative) {
  std::string home = HomeFolder();
  return home.empty() ? std::string() : WithTrailingSeparator(home) + std::string(relative);
}

// XDG_DESKTOP_DIR="$HOME/Desktop" in user-dirs.dirs; only "$HOME/..." or absolute.
std::string DesktopFromUserDirs() {
  std::string config = AbsoluteOr(Env("XDG_CONFIG_HOME"), UnderHome(".config"));
  if (config.empty()) return {};
  std::ifstream in(WithTrailingSeparator(config) + "user-dirs.dirs");
  std::string line;
  constexpr std::string_view kKey = "XDG_DESKTOP_DIR=";
  while (std::getline(in, line)) {
    if (line.compare(0, kKey.size(), kKey) != 0) continue;
    std::string value = line.substr(kKey.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    if (value.compare(0, 5, "$HOME") == 0) {
      std::string home = HomeFolder();
      if (home.empty()) return {};
      return home + value.substr(5);
    }
    if (!value.empty() && value.front() == '/') return value;
  }
  return {};
}

}  // namespace

std::string WithTrailingSeparator(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

std::string SpecialFolderPath(int csidl) {
  switch (csidl) {
    case kCsidlLocalAppData:
      return WithTrailingSeparator(AbsoluteOr(Env("XDG_DATA_HOME"), UnderHome(".local/share")));
    case kCsidlCommonPrograms: {
      std::string dirs = Env("XDG_DATA_DIRS");
      std::string first = dirs.substr(0, dirs.find(':'));
      return WithTrailingSeparator(WithTrailingSeparator(AbsoluteOr(first, "/usr/local/share")) +
                                   "applications");
    }
    case kCsidlDesktopDirectory: {
      std::string desktop = DesktopFromUserDirs();
      return WithTrailingSeparator(desktop.empty() ? UnderHome("Desktop") : desktop);
    }
    default:
      return {};
  }
}

}  // namespace ringova
