#pragma once
// `ringova autostart on|off`: a desktop entry in the user's autostart folder
// ($XDG_CONFIG_HOME/autostart, ~/.config/autostart when unset) that starts this program at login,
// or its removal.
#include <cstdio>
#include <filesystem>

namespace ringova::host {

// Where the entry lives; empty when neither XDG_CONFIG_HOME nor HOME is set.
std::filesystem::path AutostartEntryPath();

// Exit status: 0 when the entry is there (on) or gone (off), 1 when it cannot be written or
// removed, with one line on `err`.
int RunAutostart(bool on, std::FILE* err);

}  // namespace ringova::host
