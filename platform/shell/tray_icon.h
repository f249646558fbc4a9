#pragma once
// Notification-area icons. An icon has a tip and receives the mouse messages of the pointer on it
// (the conventional window-message numbers below). The table is shared by the real shell (which
// keeps the icons for a renderer to draw) and the recording double.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::shell {

namespace tray {
inline constexpr int MouseMove = 512;
inline constexpr int LeftButtonDown = 513;
inline constexpr int LeftButtonUp = 514;
inline constexpr int LeftButtonDoubleClick = 515;
inline constexpr int RightButtonDown = 516;
inline constexpr int RightButtonUp = 517;
inline constexpr int RightButtonDoubleClick = 518;
}  // namespace tray

inline constexpr std::size_t TrayTipMax = 63;  // longer tips are cut

using TrayIconId = uint32_t;  // 0 = none

struct TrayIcon {
  std::string tip;
  std::function<void(int mouseMessage)> onMouse;  // runs on the UI thread
};

class TrayIconTable {
 public:
  TrayIconId add(TrayIcon icon);  // never 0
  bool setTip(TrayIconId id, std::string_view tip);
  bool remove(TrayIconId id);
  // Delivers a mouse message to the icon, as the pointer on it would. False when there is none.
  bool mouse(TrayIconId id, int mouseMessage);
  const TrayIcon* find(TrayIconId id) const;
  std::vector<TrayIconId> ids() const;
  std::size_t size() const { return icons_.size(); }

  // After an icon was added, removed or given a new tip (a renderer redraws the tray).
  std::function<void()> onChanged;

 private:
  void notify() {
    if (onChanged) onChanged();
  }
  struct Entry {
    TrayIconId id;
    TrayIcon icon;
  };
  std::vector<Entry> icons_;
  TrayIconId next_ = 1;
};

}  // namespace platform::shell
