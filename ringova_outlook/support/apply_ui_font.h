#pragma once
// Gives a window and every control on it one font. Nothing is reported: a
// control that takes no font keeps what it has.

#include "platform/ui/form.h"
#include "ringova_outlook/support/ui_font.h"

namespace ringova {

void ApplyUIFont(platform::ui::Form& form, const UIFont& font);

// With the add-in's user-interface font (GetUIFont).
void ApplyUIFont(platform::ui::Form& form);

}  // namespace ringova
