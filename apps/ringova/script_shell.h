#pragma once
// The desktop services of the host: the Linux shell, with every message box first offered to
// the script (an answer queued with `answer`) and then reported. Without a queued answer the box
// is the shell's own modal form ("MsgBox"), which later script lines may answer; once the host
// winds down (unattended) a box takes its close answer at once, so nothing can hang.
#include <functional>
#include <optional>

#include "platform/shell/linux_shell.h"

namespace ringova::host {

class ScriptShell final : public platform::shell::Shell {
 public:
  using Request = platform::shell::MessageBoxRequest;
  using Result = platform::shell::MsgBoxResult;

  explicit ScriptShell(platform::ui::Toolkit& toolkit) : inner_(toolkit) {}

  std::function<std::optional<Result>(const Request&)> answer;  // a queued answer, if any
  std::function<void(const Request&, Result)> answered;         // after the box closed
  void setUnattended(bool on) { unattended_ = on; }
  platform::shell::LinuxShell& desktop() { return inner_; }  // for a renderer of its tray

  Result messageBox(const Request& request) override;
  using Shell::messageBox;
  void beep(int frequencyHz, int durationMs) override { inner_.beep(frequencyHz, durationMs); }
  bool bringToFront(platform::ui::Form& form) override { return inner_.bringToFront(form); }
  platform::shell::TrayIconId addTrayIcon(platform::shell::TrayIcon icon) override {
    return inner_.addTrayIcon(std::move(icon));
  }
  bool setTrayTip(platform::shell::TrayIconId id, const std::string& tip) override {
    return inner_.setTrayTip(id, tip);
  }
  bool deleteTrayIcon(platform::shell::TrayIconId id) override { return inner_.deleteTrayIcon(id); }
  bool openAddress(const std::string& address) override { return inner_.openAddress(address); }
  std::optional<std::string> fileDialog(const platform::shell::FileDialogRequest& r) override {
    return inner_.fileDialog(r);
  }
  std::unique_ptr<platform::shell::NamedMutex> createNamedMutex(const std::string& name) override {
    return inner_.createNamedMutex(name);
  }
  std::string specialFolder(platform::shell::SpecialFolder folder) override {
    return inner_.specialFolder(folder);
  }
  platform::shell::LocaleInfo userLocale() override { return inner_.userLocale(); }
  platform::shell::LocaleInfo systemLocale() override { return inner_.systemLocale(); }
  std::optional<platform::shell::SystemVersion> systemVersion() override {
    return inner_.systemVersion();
  }
  platform::shell::PhoneLinks& phoneLinks() override { return inner_.phoneLinks(); }
  platform::shell::Notifications* notifications() override { return inner_.notifications(); }

 private:
  platform::shell::LinuxShell inner_;
  bool unattended_ = false;
};

}  // namespace ringova::host
