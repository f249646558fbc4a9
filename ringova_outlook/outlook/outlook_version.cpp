#include "ringova_outlook/outlook/outlook_version.h"

#include <array>
#include <utility>

namespace ringova {

namespace {
constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kVersionNames{{
    {"7.0", "97"},
    {"8.0", "98"},
    {"9.0", "2000"},
    {"10.0", "XP"},
    {"11.0", "2003"},
    {"12.0", "2007"},
}};
}  // namespace

std::string OutlookVersionName(std::string_view version) {
  const std::size_t dot = version.find('.');
  if (dot == std::string_view::npos) return {};
  const std::string_view major_minor = version.substr(0, dot + 2);
  for (const auto& [number, name] : kVersionNames) {
    if (number == major_minor) return std::string(name);
  }
  return {};
}

}  // namespace ringova
