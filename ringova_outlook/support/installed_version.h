#pragma once
// Where an installation records its version in the machine registry store: written by the
// installer, read by the update check.
#include <string_view>

namespace ringova {

inline constexpr std::string_view kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ringova AddIn_is1";
inline constexpr std::string_view kDisplayVersion = "DisplayVersion";

}  // namespace ringova
