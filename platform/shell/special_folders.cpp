#include "platform/shell/special_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string_view>

namespace platform::shell {
namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string home() {
  std::string h = env("HOME");
  if (!h.empty()) return h;
  if (const passwd* pw = ::getpwuid(::getuid())) return pw->pw_dir ? pw->pw_dir : "";
  return {};
}

std::string withSlash(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

// $VAR if set and absolute, else `fallback` under the home folder.
std::string baseDir(const char* var, const char* fallback) {
  std::string v = env(var);
  if (!v.empty() && v[0] == '/') return v;
  std::string h = home();
  return h.empty() ? std::string() : h + "/" + fallback;
}

// A folder of user-dirs.dirs: lines like XDG_DESKTOP_DIR="$HOME/Desktop".
std::string userDir(const char* key, const char* fallback) {
  std::string h = home();
  std::string config = baseDir("XDG_CONFIG_HOME", ".config");
  std::ifstream in(config + "/user-dirs.dirs");
  std::string line;
  std::string prefix = std::string(key) + "=";
  while (std::getline(in, line)) {
    if (!line.starts_with(prefix)) continue;
    std::string_view v(line);
    v.remove_prefix(prefix.size());
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    std::string value(v);
    if (value.starts_with("$HOME"))
      value = h + value.substr(5);
    else if (!value.empty() && value[0] != '/')
      value = h + "/" + value;
    if (!value.empty()) return value;
  }
  return h.empty() ? std::string() : h + "/" + fallback;
}

}  // namespace

std::optional<SpecialFolder> specialFolderFromId(int id) {
  for (auto f : {SpecialFolder::Desktop, SpecialFolder::Programs, SpecialFolder::Personal,
                 SpecialFolder::CommonPrograms, SpecialFolder::AppData, SpecialFolder::LocalAppData,
                 SpecialFolder::Temp})
    if (static_cast<int>(f) == id) return f;
  return std::nullopt;
}

std::string xdgSpecialFolder(SpecialFolder folder) {
  switch (folder) {
    case SpecialFolder::LocalAppData:
      return withSlash(baseDir("XDG_DATA_HOME", ".local/share"));
    case SpecialFolder::AppData:
      return withSlash(baseDir("XDG_CONFIG_HOME", ".config"));
    case SpecialFolder::Desktop:
      return withSlash(userDir("XDG_DESKTOP_DIR", "Desktop"));
    case SpecialFolder::Personal:
      return withSlash(userDir("XDG_DOCUMENTS_DIR", "Documents"));
    case SpecialFolder::Programs: {
      std::string data = baseDir("XDG_DATA_HOME", ".local/share");
      return data.empty() ? std::string() : data + "/applications/";
    }
    case SpecialFolder::CommonPrograms: {
      std::string dirs = env("XDG_DATA_DIRS");
      std::string first = dirs.substr(0, dirs.find(':'));
      if (first.empty() || first[0] != '/') first = "/usr/local/share";
      return withSlash(first) + "applications/";
    }
    case SpecialFolder::Temp: {
      std::string t = env("TMPDIR");
      return withSlash(t.empty() || t[0] != '/' ? std::string("/tmp") : t);
    }
  }
  return {};
}

}  // namespace platform::shell
