#include "platform/ui/qt/qt_shell.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QStyle>
#include <QtWidgets/QSystemTrayIcon>

#include "platform/ui/qt/qt_text.h"

namespace platform::ui::qt {

QtShell::QtShell(shell::LinuxShell& shell) : shell_(shell) {
  shell_.trayIcons().onChanged = [this] { syncTray(); };
  shell_.setBeeper([this](int, int) {
    ++beeps_;
    QApplication::beep();
  });
  syncTray();
}

QtShell::~QtShell() {
  shell_.trayIcons().onChanged = nullptr;
  shell_.setBeeper(nullptr);
}

QSystemTrayIcon* QtShell::trayIcon(shell::TrayIconId id) const {
  auto it = icons_.find(id);
  return it == icons_.end() ? nullptr : it->second.get();
}

void QtShell::syncTray() {
  auto& table = shell_.trayIcons();
  for (auto it = icons_.begin(); it != icons_.end();) {
    if (!table.find(it->first)) {
      it->second->hide();
      // Its own activation may be running: it goes once control is back in the loop.
      it->second.release()->deleteLater();
      it = icons_.erase(it);
    } else {
      ++it;
    }
  }
  for (shell::TrayIconId id : table.ids()) {
    const shell::TrayIcon* icon = table.find(id);
    auto& tray = icons_[id];
    if (!tray) {
      QIcon face = QIcon::fromTheme(QStringLiteral("call-start"),
                                    QApplication::style()->standardIcon(QStyle::SP_ComputerIcon));
      tray = std::make_unique<QSystemTrayIcon>(face);
      connect(tray.get(), &QSystemTrayIcon::activated, this,
              [this, id](QSystemTrayIcon::ActivationReason reason) {
                namespace tray = shell::tray;
                auto& icons = shell_.trayIcons();
                switch (reason) {
                  case QSystemTrayIcon::Trigger:
                    if (icons.mouse(id, tray::LeftButtonDown)) icons.mouse(id, tray::LeftButtonUp);
                    break;
                  case QSystemTrayIcon::DoubleClick:
                    icons.mouse(id, tray::LeftButtonDoubleClick);
                    break;
                  case QSystemTrayIcon::Context:
                    if (icons.mouse(id, tray::RightButtonDown))
                      icons.mouse(id, tray::RightButtonUp);
                    break;
                  default:
                    break;
                }
              });
      if (QSystemTrayIcon::isSystemTrayAvailable()) tray->show();
    }
    tray->setToolTip(toQt(icon->tip));
  }
}

}  // namespace platform::ui::qt
