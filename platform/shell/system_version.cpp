#include "platform/shell/system_version.h"

#include <sys/utsname.h>

#include <cctype>
#include <fstream>

namespace platform::shell {

void parseRelease(const std::string& release, SystemVersion& out) {
  uint32_t* parts[] = {&out.major, &out.minor, &out.build};
  for (auto* p : parts) *p = 0;
  std::size_t i = 0;
  for (auto* p : parts) {
    if (i >= release.size() || !std::isdigit(static_cast<unsigned char>(release[i]))) return;
    uint32_t n = 0;
    while (i < release.size() && std::isdigit(static_cast<unsigned char>(release[i])))
      n = n * 10 + static_cast<uint32_t>(release[i++] - '0');
    *p = n;
    if (i >= release.size() || release[i] != '.') return;
    ++i;
  }
}

std::optional<SystemVersion> querySystemVersion() {
  utsname u{};
  if (::uname(&u) != 0) return std::nullopt;
  SystemVersion v;
  v.platform = u.sysname;
  v.release = u.release;
  parseRelease(v.release, v);
  v.name = v.platform + " " + v.release;
  std::ifstream in("/etc/os-release");
  std::string line;
  while (std::getline(in, line)) {
    if (!line.starts_with("PRETTY_NAME=")) continue;
    std::string n = line.substr(12);
    if (n.size() >= 2 && n.front() == '"' && n.back() == '"') n = n.substr(1, n.size() - 2);
    if (!n.empty()) v.name = n;
    break;
  }
  return v;
}

}  // namespace platform::shell
