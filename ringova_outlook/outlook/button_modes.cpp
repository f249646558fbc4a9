#include "ringova_outlook/outlook/button_modes.h"

#include <array>

#include "platform/outlook/command_bars.h"
#include "ringova_outlook/outlook/menu_texts.h"
#include "ringova_outlook/resources/string_table.h"

namespace ringova {

namespace ol = platform::outlook;

namespace {
struct ModeRow {
  std::string_view name;
  ModeEnables enables;
};
constexpr std::array<ModeRow, 4> kModes{{
    {"DisableAllButtons", {false, false, true}},
    {"DisableClose", {true, false, true}},
    {"DisableMake", {false, true, true}},
    {"DisableMenuAndButtons", {false, false, false}},
}};

void Enable(ol::CommandBarControl* control, bool on) {
  if (control) control->SetEnabled(on);
}
}  // namespace

std::optional<ModeEnables> EnablesOfMode(std::int16_t mode) {
  if (mode < 0 || mode >= static_cast<std::int16_t>(kModes.size())) return std::nullopt;
  return kModes[mode].enables;
}

std::string_view ModeName(std::int16_t mode) {
  if (mode < 0 || mode >= static_cast<std::int16_t>(kModes.size())) return "UnknownMode";
  return kModes[mode].name;
}

MenuCaptions LoadMenuCaptions() {
  return {std::string(LoadResString(kTextMakeItem)) + "...",
          std::string(LoadResString(kTextCloseItem)) + "...",
          std::string(LoadResString(kTextSettingsItem)) + "...",
          std::string(LoadResString(kTextAbout)), std::string(LoadResString(kTextDialing))};
}

void ApplyModeToMenu(ol::CommandBars& bars, const ModeEnables& enables,
                     const MenuCaptions& captions) {
  ol::CommandBar* menu_bar = bars.Item(kMenuBar);
  if (!menu_bar) return;
  ol::CommandBarControl* popup = menu_bar->FindControl(ol::msoControlPopup, 0, kPopupTag);
  if (!popup || !popup->Controls()) return;
  ol::CommandBarControls& items = *popup->Controls();
  Enable(items.Item(captions.make), enables.make);
  Enable(items.Item(captions.close), enables.close);
  Enable(items.Item(captions.settings), enables.settings);
  Enable(items.Item(captions.about), enables.settings);
}

void ApplyModeToButtons(ol::CommandBars& bars, const ModeEnables& enables) {
  ol::CommandBar* standard = bars.Item(kStandardBar);
  if (!standard) return;
  Enable(standard->FindControl(0, 0, kMakeTag), enables.make);
  Enable(standard->FindControl(0, 0, kCloseTag), enables.close);
}

}  // namespace ringova
