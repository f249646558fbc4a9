#include "platform/shell/tray_icon.h"

namespace platform::shell {

TrayIconId TrayIconTable::add(TrayIcon icon) {
  if (icon.tip.size() > TrayTipMax) icon.tip.resize(TrayTipMax);
  TrayIconId id = next_++;
  icons_.push_back(Entry{id, std::move(icon)});
  notify();
  return id;
}

bool TrayIconTable::setTip(TrayIconId id, std::string_view tip) {
  for (auto& e : icons_) {
    if (e.id != id) continue;
    e.icon.tip = tip.substr(0, TrayTipMax);
    notify();
    return true;
  }
  return false;
}

bool TrayIconTable::remove(TrayIconId id) {
  for (auto it = icons_.begin(); it != icons_.end(); ++it) {
    if (it->id != id) continue;
    icons_.erase(it);
    notify();
    return true;
  }
  return false;
}

bool TrayIconTable::mouse(TrayIconId id, int mouseMessage) {
  const TrayIcon* icon = find(id);
  if (!icon) return false;
  auto handler = icon->onMouse;  // the handler may delete the icon
  if (handler) handler(mouseMessage);
  return true;
}

const TrayIcon* TrayIconTable::find(TrayIconId id) const {
  for (const auto& e : icons_)
    if (e.id == id) return &e.icon;
  return nullptr;
}

std::vector<TrayIconId> TrayIconTable::ids() const {
  std::vector<TrayIconId> out;
  for (const auto& e : icons_) out.push_back(e.id);
  return out;
}

}  // namespace platform::shell
