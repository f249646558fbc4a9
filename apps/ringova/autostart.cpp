#include "apps/ringova/autostart.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

namespace ringova::host {

namespace {

constexpr const char* kEntryName = "org.telvane.Ringova.desktop";

// This program's own path, so the entry starts the copy that wrote it (installed or not).
std::string ownProgram() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("ringova") : self.string();
}

// An Exec value: quoted, with the characters the desktop-entry format reserves escaped (once
// for the quoting, once more for the string value).
std::string execValue(const std::string& program) {
  std::string out = "\"";
  for (const char c : program) {
    if (c == '"' || c == '`' || c == '$') {
      out += "\\\\";
    } else if (c == '\\') {
      out += "\\\\\\";
    }
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::filesystem::path AutostartEntryPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::filesystem::path folder;
  if (config && *config == '/') {
    folder = config;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    folder = std::filesystem::path(home) / ".config";
  } else {
    return {};
  }
  return folder / "autostart" / kEntryName;
}

int RunAutostart(bool on, std::FILE* err) {
  const std::filesystem::path entry = AutostartEntryPath();
  if (entry.empty()) {
    std::fprintf(err, "ringova: autostart: neither XDG_CONFIG_HOME nor HOME is set\n");
    return 1;
  }
  std::error_code ec;
  if (!on) {
    std::filesystem::remove(entry, ec);
    if (ec) {
      std::fprintf(err, "ringova: %s: %s\n", entry.c_str(), ec.message().c_str());
      return 1;
    }
    return 0;
  }
  std::filesystem::create_directories(entry.parent_path(), ec);
  const std::filesystem::path temporary = entry.string() + ".new";
  {
    std::ofstream file(temporary, std::ios::trunc);
    file << "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=Ringova\n"
            "Comment=Phone links and arriving calls from the login on\n"
            "Exec="
         << execValue(ownProgram())
         << "\n"
            "Icon=org.telvane.Ringova\n"
            "Terminal=false\n"
            "X-GNOME-Autostart-enabled=true\n";
    file.close();
    if (!file) {
      std::filesystem::remove(temporary, ec);
      std::fprintf(err, "ringova: %s cannot be written\n", entry.c_str());
      return 1;
    }
  }
  std::filesystem::rename(temporary, entry, ec);
  if (ec) {
    std::filesystem::remove(temporary, ec);
    std::fprintf(err, "ringova: %s cannot be written\n", entry.c_str());
    return 1;
  }
  return 0;
}

}  // namespace ringova::host
