#pragma once
// One value of a registry key, read the way the country list needs it.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "platform/registry/registry.h"

namespace ringova {

// Text for a string value, a 32-bit number for a double-word value, empty text otherwise.
using RegValue = std::variant<std::string, uint32_t>;

// Result codes of the last registry query, for diagnostics.
enum class RegResult : int { Success = 0, FileNotFound = 2 };

// The value `name` of key path `key` in `root`; empty text when the key or the value is missing.
RegValue QueryRegValue(const platform::Registry& root, std::string_view key, std::string_view name);

// The result code of the last QueryRegValue on this thread.
RegResult LastRegResult();

// A value as text: a number in decimal.
std::string RegValueText(const RegValue& value);

}  // namespace ringova
