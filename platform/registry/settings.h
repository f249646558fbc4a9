#pragma once
// Application settings as text values in the current user's registry, under the key
// "Software\<application>\<section>" (value name = setting name). This is how the add-in keeps
// its settings: booleans as "True"/"False", numbers as decimal text, all as REG_SZ.
#include <string>
#include <string_view>

#include "platform/registry/registry.h"

namespace platform {

// The key that holds one section of an application's settings.
std::string settingsKey(std::string_view application, std::string_view section);

// The stored text, or `fallback` when the value is missing or not text.
std::string getSetting(Registry& registry, std::string_view application, std::string_view section,
                       std::string_view name, std::string_view fallback = {});
bool saveSetting(Registry& registry, std::string_view application, std::string_view section,
                 std::string_view name, std::string_view text);
bool deleteSetting(Registry& registry, std::string_view application, std::string_view section,
                   std::string_view name);

// The same on the current user's hive as the environment names it now.
std::string getSetting(std::string_view application, std::string_view section,
                       std::string_view name, std::string_view fallback = {});
bool saveSetting(std::string_view application, std::string_view section, std::string_view name,
                 std::string_view text);

}  // namespace platform
