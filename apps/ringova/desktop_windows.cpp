#include "apps/ringova/desktop_windows.h"

#include <QtWidgets/QApplication>
#include <cstdlib>

#include "apps/ringova/explorer_window.h"
#include "platform/ui/qt/qt_renderer.h"
#include "platform/ui/qt/qt_shell.h"

namespace ringova::host {

std::unique_ptr<QCoreApplication> MakeQtApplication(bool widgets) {
  // Qt keeps the references for the application's life.
  static int argc = 1;
  static char name[] = "ringova";
  static char* argv[] = {name, nullptr};
  std::unique_ptr<QCoreApplication> app;
  if (widgets) {
    app = std::make_unique<QApplication>(argc, argv);
    // The add-in's windows come and go; the host, not the last window, decides when to end.
    QApplication::setQuitOnLastWindowClosed(false);
  } else {
    app = std::make_unique<QCoreApplication>(argc, argv);
  }
  QCoreApplication::setApplicationName(QStringLiteral("ringova"));
  return app;
}

bool DisplayAvailable(std::string& why) {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  why = "no display to open windows on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
  return false;
}

DesktopWindows::DesktopWindows(platform::ui::Toolkit& toolkit, platform::shell::LinuxShell& shell,
                               platform::outlook::Application& outlook,
                               const std::string& screenshotFolder) {
  renderer_ = std::make_unique<platform::ui::qt::QtRenderer>(
      toolkit, platform::ui::qt::QtRenderer::Options{screenshotFolder, true});
  shell_ = std::make_unique<platform::ui::qt::QtShell>(shell);
  explorers_ = std::make_unique<ExplorerWindows>(outlook, screenshotFolder);
}

DesktopWindows::~DesktopWindows() {
  explorers_.reset();
  shell_.reset();
  renderer_.reset();
}

}  // namespace ringova::host
