#pragma once
// What an installation leaves in the machine registry store for the installed product.
#include <string_view>

namespace telvane::tools {

// The installation's uninstall key; the update check reads the installed version from it.
inline constexpr std::string_view kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ringova AddIn_is1";
inline constexpr std::string_view kDisplayVersionValue = "DisplayVersion";

}  // namespace telvane::tools
