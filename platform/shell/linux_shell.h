#pragma once
// The shell services on Linux.
// - Message boxes and the file dialog are modal forms of the toolkit ("MsgBox": label lblText,
//   buttons btn0..btn2; "FileDialog": text box txtPath, buttons btnOK, btnCancel), so the same
//   renderer that draws the add-in's forms draws them, and the test driver can answer them.
// - Notification-area icons are kept in a table for a renderer (there is no tray of our own).
// - Beep writes the terminal bell to stderr when it is a terminal, unless a beeper is set.
// - Addresses open with xdg-open (or the program named by $TELVANE_OPENER), started without waiting
//   for it.
// - Notifications are the host's to lend (setNotifications); without them there are none.
#include <functional>

#include "platform/shell/shell.h"
#include "platform/ui/toolkit.h"

namespace platform::shell {

class LinuxShell final : public Shell {
 public:
  explicit LinuxShell(ui::Toolkit& toolkit);
  ~LinuxShell() override;

  MsgBoxResult messageBox(const MessageBoxRequest& request) override;
  using Shell::messageBox;
  void beep(int frequencyHz, int durationMs) override;
  bool bringToFront(ui::Form& form) override;
  TrayIconId addTrayIcon(TrayIcon icon) override;
  bool setTrayTip(TrayIconId id, const std::string& tip) override;
  bool deleteTrayIcon(TrayIconId id) override;
  bool openAddress(const std::string& address) override;
  std::optional<std::string> fileDialog(const FileDialogRequest& request) override;
  std::unique_ptr<NamedMutex> createNamedMutex(const std::string& name) override;
  std::string specialFolder(SpecialFolder folder) override;
  LocaleInfo userLocale() override;
  LocaleInfo systemLocale() override;
  std::optional<SystemVersion> systemVersion() override;
  PhoneLinks& phoneLinks() override { return links_; }
  Notifications* notifications() override { return notifications_; }

  TrayIconTable& trayIcons() { return trays_; }
  // The host's notifications (it owns them and takes them back with null before they go).
  void setNotifications(Notifications* notifications) { notifications_ = notifications; }
  // Replaces the terminal bell (a renderer sounds the desktop's); empty restores it.
  void setBeeper(std::function<void(int frequencyHz, int durationMs)> beeper) {
    beeper_ = std::move(beeper);
  }

 private:
  ui::Toolkit& toolkit_;
  TrayIconTable trays_;
  std::function<void(int, int)> beeper_;
  PhoneLinks links_;
  Notifications* notifications_ = nullptr;
};

}  // namespace platform::shell
