#pragma once
// A readable name of the system's version, for the log.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/shell/system_version.h"

namespace ringova {

// The name of a version by its major and minor number only; "Undefined" for
// versions without a name.
std::string OSNameForVersion(std::uint32_t major, std::uint32_t minor);

// The name last set by GetOSName; "Undefined" until then.
const std::string& OSName();

// Sets OSName from the record; without one (the version could not be read) logs
// "Could not get Windows version information." and leaves "Undefined".
void GetOSName(const std::optional<platform::shell::SystemVersion>& version);

}  // namespace ringova
