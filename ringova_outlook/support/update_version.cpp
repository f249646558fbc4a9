#include "ringova_outlook/support/update_version.h"

#include <fstream>

#include "platform/outlook/text_util.h"
#include "ringova_outlook/dialing/phone_text.h"

#ifndef RINGOVA_ADDIN_VERSION_MAJOR
#define RINGOVA_ADDIN_VERSION_MAJOR 0
#define RINGOVA_ADDIN_VERSION_MINOR 0
#define RINGOVA_ADDIN_VERSION_REVISION 0
#endif

namespace ringova {
namespace {

using platform::outlook::TrimBlanks;

// -1, 0 or 1 as the numbers at the start of a and b compare.
int CompareComponents(std::string_view a, std::string_view b) {
  std::string da = LeadingDigits(a);
  std::string db = LeadingDigits(b);
  auto significant = [](const std::string& digits) {
    std::string_view v = digits;
    while (!v.empty() && v.front() == '0') v.remove_prefix(1);
    return v;
  };
  std::string_view va = significant(da);
  std::string_view vb = significant(db);
  if (va.size() != vb.size()) return va.size() < vb.size() ? -1 : 1;
  int c = va.compare(vb);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

std::string AddinVersion::Text() const {
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
}

AddinVersion OwnAddinVersion() {
  return {RINGOVA_ADDIN_VERSION_MAJOR, RINGOVA_ADDIN_VERSION_MINOR, RINGOVA_ADDIN_VERSION_REVISION};
}

std::string VersionFromLine(std::string_view line) {
  std::size_t at = line.find(kVersionKey);
  if (at == std::string_view::npos) return {};
  return std::string(TrimBlanks(line.substr(at + kVersionKey.size())));
}

std::optional<std::string> ReadOfferedVersion(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string line;
  char chunk[4096];
  while (line.size() < kMaxFirstLine && in.read(chunk, sizeof chunk).gcount() > 0) {
    std::string_view got(chunk, static_cast<std::size_t>(in.gcount()));
    std::size_t end = got.find_first_of("\r\n");
    line.append(got.substr(0, std::min(end, kMaxFirstLine - line.size())));
    if (end != std::string_view::npos) break;
  }
  if (in.bad()) return std::nullopt;
  return VersionFromLine(line);
}

bool IsNewerVersion(std::string_view offered, std::string_view installed, const AddinVersion& own) {
  if (TrimBlanks(offered) == TrimBlanks(installed)) return false;
  std::string own_text;
  if (installed.empty()) {
    own_text = own.Text();
    installed = own_text;
  }
  std::size_t at_offered = 0;
  std::size_t at_installed = 0;
  while (true) {
    std::size_t dot_offered = offered.find('.', at_offered);
    std::size_t dot_installed = installed.find('.', at_installed);
    int c = CompareComponents(offered.substr(at_offered, dot_offered - at_offered),
                              installed.substr(at_installed, dot_installed - at_installed));
    if (c != 0) return c > 0;
    bool more_offered = dot_offered != std::string_view::npos;
    bool more_installed = dot_installed != std::string_view::npos;
    if (!more_offered) return false;
    if (!more_installed) return true;
    at_offered = dot_offered + 1;
    at_installed = dot_installed + 1;
  }
}

}  // namespace ringova
