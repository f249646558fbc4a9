#pragma once
// ringova's real windows: Outlook's explorer windows, the toolkit's forms and the shell's tray
// icons drawn with Qt on the display the environment names. Only this host links Qt.
#include <memory>
#include <string>

#include "platform/outlook/application.h"
#include "platform/shell/linux_shell.h"
#include "platform/ui/toolkit.h"

class QCoreApplication;

namespace platform::ui::qt {
class QtRenderer;
class QtShell;
}  // namespace platform::ui::qt

namespace ringova::host {

class ExplorerWindows;

// The one Qt application object of a run, made before anything of Qt is used: with widgets for
// windows, without for the session bus alone.
std::unique_ptr<QCoreApplication> MakeQtApplication(bool widgets);

// True when a display is named ($DISPLAY or $WAYLAND_DISPLAY); else `why` says what is missing.
bool DisplayAvailable(std::string& why);

// Needs the QApplication of MakeQtApplication(true).
class DesktopWindows {
 public:
  DesktopWindows(platform::ui::Toolkit& toolkit, platform::shell::LinuxShell& shell,
                 platform::outlook::Application& outlook, const std::string& screenshotFolder);
  ~DesktopWindows();
  DesktopWindows(const DesktopWindows&) = delete;
  DesktopWindows& operator=(const DesktopWindows&) = delete;

 private:
  std::unique_ptr<platform::ui::qt::QtRenderer> renderer_;
  std::unique_ptr<platform::ui::qt::QtShell> shell_;
  std::unique_ptr<ExplorerWindows> explorers_;
};

}  // namespace ringova::host
