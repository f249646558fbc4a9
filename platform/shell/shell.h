#pragma once
// The desktop services the add-in calls, as one interface: the real implementation is LinuxShell,
// the test double RecordingShell. All calls are made on the UI thread.
#include <memory>
#include <optional>
#include <string>

#include "platform/shell/file_dialog.h"
#include "platform/shell/locale_info.h"
#include "platform/shell/message_box.h"
#include "platform/shell/named_mutex.h"
#include "platform/shell/notifications.h"
#include "platform/shell/phone_links.h"
#include "platform/shell/special_folders.h"
#include "platform/shell/system_version.h"
#include "platform/shell/tray_icon.h"

namespace platform::ui {
class Form;
}

namespace platform::shell {

class Shell {
 public:
  virtual ~Shell() = default;

  // A modal message box; returns the button the user pressed.
  virtual MsgBoxResult messageBox(const MessageBoxRequest& request) = 0;
  MsgBoxResult messageBox(const std::string& text, const std::string& title,
                          MsgBoxButtons buttons = MsgBoxButtons::Ok,
                          MsgBoxIcon icon = MsgBoxIcon::None) {
    return messageBox(MessageBoxRequest{text, title, buttons, icon, 0});
  }

  virtual void beep(int frequencyHz, int durationMs) = 0;
  // Makes the window the foreground window; false when it cannot be (hidden, unloaded).
  virtual bool bringToFront(ui::Form& form) = 0;

  virtual TrayIconId addTrayIcon(TrayIcon icon) = 0;
  virtual bool setTrayTip(TrayIconId id, const std::string& tip) = 0;
  virtual bool deleteTrayIcon(TrayIconId id) = 0;

  // Opens an address (URL or file) with the system's handler; true when handed over.
  virtual bool openAddress(const std::string& address) = 0;
  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<std::string> fileDialog(const FileDialogRequest& request) = 0;

  virtual std::unique_ptr<NamedMutex> createNamedMutex(const std::string& name) = 0;
  // Ends with "/"; "" when unknown.
  virtual std::string specialFolder(SpecialFolder folder) = 0;
  virtual LocaleInfo userLocale() = 0;
  virtual LocaleInfo systemLocale() = 0;
  virtual std::optional<SystemVersion> systemVersion() = 0;

  // Phone links handed over by the desktop, for the part that dials.
  virtual PhoneLinks& phoneLinks() = 0;
  // The desktop's notifications; null when the desktop has none.
  virtual Notifications* notifications() = 0;
};

}  // namespace platform::shell
