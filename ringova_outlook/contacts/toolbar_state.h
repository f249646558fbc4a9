#pragma once
// The Outlook toolbar's button mode as the contact loader sees it: the progress window remembers
// the mode, disables the add-in's menu and buttons while contacts load, and puts the mode back
// when it closes. The Outlook integration implements it.
#include <cstdint>

namespace ringova {

// Button modes: 0 DisableAllButtons, 1 DisableClose, 2 DisableMake, 3 DisableMenuAndButtons.
inline constexpr int16_t kDisableMenuAndButtons = 3;

class ToolbarState {
 public:
  virtual ~ToolbarState() = default;
  virtual int16_t ButtonMode() const = 0;
  virtual void ChangeButtonsState(int16_t mode) = 0;
};

}  // namespace ringova
