#include "ringova_outlook/support/apply_ui_font.h"

namespace ringova {
namespace {

// Timers show no text and so have no font of their own.
void GiveFont(platform::ui::Control& control, const platform::ui::Font& font) {
  if (control.kind() != platform::ui::ControlKind::Timer) control.setFont(font);
  for (const auto& child : control.children()) GiveFont(*child, font);
}

}  // namespace

void ApplyUIFont(platform::ui::Form& form, const UIFont& font) {
  GiveFont(form, platform::ui::Font{font.face, font.size, font.charset, false});
}

void ApplyUIFont(platform::ui::Form& form) {
  ApplyUIFont(form, GetUIFont());
}

}  // namespace ringova
