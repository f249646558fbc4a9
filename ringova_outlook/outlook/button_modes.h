#pragma once
// The button modes: what each mode enables, its log line, and applying a mode to one window's
// command bars.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::outlook {
class CommandBars;
}

namespace ringova {

struct ModeEnables {
  bool make;      // Make menu item and toolbar button
  bool close;     // Close menu item and toolbar button
  bool settings;  // Settings and About menu items
};

// The enables of modes 0 to 3; nothing for any other mode.
std::optional<ModeEnables> EnablesOfMode(std::int16_t mode);
// "DisableAllButtons" ... "DisableMenuAndButtons"; "UnknownMode" for any other mode.
std::string_view ModeName(std::int16_t mode);

// The captions the menu items are found by.
struct MenuCaptions {
  std::string make, close, settings, about, dialing;
};
// From the string table: 139, 140, 141 with "...", 148, 161.
MenuCaptions LoadMenuCaptions();

// Sets the Enabled state of the add-in's menu items (in "Menu Bar") and of the Make and Close
// buttons (in "Standard") of one window by the mode; missing bars and controls are skipped.
void ApplyModeToMenu(platform::outlook::CommandBars& bars, const ModeEnables& enables,
                     const MenuCaptions& captions);
void ApplyModeToButtons(platform::outlook::CommandBars& bars, const ModeEnables& enables);

}  // namespace ringova
