#pragma once
// ringova's real windows: the toolkit's forms and the shell's tray icons drawn with Qt on the
// display the environment names. Only this host links Qt.
#include <memory>
#include <string>

#include "platform/shell/linux_shell.h"
#include "platform/ui/toolkit.h"

class QApplication;

namespace platform::ui::qt {
class QtRenderer;
class QtShell;
}  // namespace platform::ui::qt

namespace ringova::host {

// True when a display is named ($DISPLAY or $WAYLAND_DISPLAY); else `why` says what is missing.
bool DisplayAvailable(std::string& why);

class DesktopWindows {
 public:
  // Connects to the display; ok() is false (and `error` says why) when it cannot.
  DesktopWindows(platform::ui::Toolkit& toolkit, platform::shell::LinuxShell& shell,
                 const std::string& screenshotFolder);
  ~DesktopWindows();
  DesktopWindows(const DesktopWindows&) = delete;
  DesktopWindows& operator=(const DesktopWindows&) = delete;

  bool ok() const { return renderer_ != nullptr; }

 private:
  int argc_ = 1;
  char name_[8] = "ringova";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
  std::unique_ptr<platform::ui::qt::QtRenderer> renderer_;
  std::unique_ptr<platform::ui::qt::QtShell> shell_;
};

}  // namespace ringova::host
