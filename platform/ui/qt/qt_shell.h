#pragma once
// The desktop parts of the shell stand-in drawn with Qt: its notification-area icons as tray
// icons (the desktop's StatusNotifierItem), whose clicks reach the icons as the mouse messages
// a pointer on them sends; its beep as the desktop's.
#include <QtCore/QObject>
#include <map>
#include <memory>

#include "platform/shell/linux_shell.h"

class QSystemTrayIcon;

namespace platform::ui::qt {

class QtShell final : public QObject {
 public:
  explicit QtShell(shell::LinuxShell& shell);
  ~QtShell() override;
  QtShell(const QtShell&) = delete;
  QtShell& operator=(const QtShell&) = delete;

  // The tray icon of an id; null when there is none.
  QSystemTrayIcon* trayIcon(shell::TrayIconId id) const;
  int beeps() const { return beeps_; }

 private:
  void syncTray();

  shell::LinuxShell& shell_;
  std::map<shell::TrayIconId, std::unique_ptr<QSystemTrayIcon>> icons_;
  int beeps_ = 0;
};

}  // namespace platform::ui::qt
