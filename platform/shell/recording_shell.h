#pragma once
// The test double of the shell: records every call, answers from a script, and reports a fixed
// environment that the test sets. Nothing reaches the desktop.
//
// Message boxes take the next scripted answer; without one they give closeResult() of their
// buttons and count as unanswered (unanswered() > 0 shows a test forgot an answer). The file
// dialog works the same way with its own script (no answer = cancelled). Named mutexes live in a
// set of names of this double. Each call also appends a line to log(), e.g.
//   messageBox "The call is canceled " "Ringova" Ok -> Ok
//   beep 300 50
//   open "ftp://host/file"
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/shell/shell.h"

namespace platform::shell {

class RecordingShell final : public Shell {
 public:
  RecordingShell();
  ~RecordingShell() override;

  // Script and environment.
  void answerMessageBox(MsgBoxResult answer) { boxAnswers_.push_back(answer); }
  void answerFileDialog(std::optional<std::string> path) {
    dialogAnswers_.push_back(std::move(path));
  }
  void setOpenResult(bool ok) { openResult_ = ok; }
  void setSpecialFolder(SpecialFolder folder, std::string path) {
    folders_[folder] = std::move(path);
  }
  void setUserLocale(LocaleInfo locale) { userLocale_ = std::move(locale); }
  void setSystemLocale(LocaleInfo locale) { systemLocale_ = std::move(locale); }
  void setSystemVersion(std::optional<SystemVersion> v) { version_ = std::move(v); }
  // Runs just before a message box returns, on the same thread (e.g. to let a test look at state
  // while the box is "up").
  std::function<void(const MessageBoxRequest&)> onMessageBox;

  // What happened.
  const std::vector<MessageBoxRequest>& messageBoxes() const { return boxes_; }
  int unanswered() const { return unanswered_; }
  struct Beep {
    int frequencyHz;
    int durationMs;
  };
  const std::vector<Beep>& beeps() const { return beeps_; }
  const std::vector<std::string>& broughtToFront() const { return fronts_; }  // form names
  const std::vector<std::string>& openedAddresses() const { return opened_; }
  const std::vector<FileDialogRequest>& fileDialogs() const { return dialogs_; }
  const std::vector<std::string>& log() const { return log_; }
  // Forgets what was recorded so far, closed notifications included (long runs keep their
  // memory flat).
  void forgetRecords();
  TrayIconTable& trayIcons() { return trays_; }
  bool mutexHeld(const std::string& name) const { return mutexes_->count(name) > 0; }

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
  LocaleInfo userLocale() override { return userLocale_; }
  LocaleInfo systemLocale() override { return systemLocale_; }
  std::optional<SystemVersion> systemVersion() override { return version_; }
  PhoneLinks& phoneLinks() override { return links_; }
  Notifications* notifications() override { return notificationsOn_ ? &notifications_ : nullptr; }
  RecordingNotifications& recordedNotifications() { return notifications_; }
  // Off: the desktop has no notification server.
  void setNotificationsAvailable(bool on) { notificationsOn_ = on; }

 private:
  std::deque<MsgBoxResult> boxAnswers_;
  std::deque<std::optional<std::string>> dialogAnswers_;
  bool openResult_ = true;
  std::map<SpecialFolder, std::string> folders_;
  LocaleInfo userLocale_;
  LocaleInfo systemLocale_;
  std::optional<SystemVersion> version_;
  std::vector<MessageBoxRequest> boxes_;
  int unanswered_ = 0;
  std::vector<Beep> beeps_;
  std::vector<std::string> fronts_;
  std::vector<std::string> opened_;
  std::vector<FileDialogRequest> dialogs_;
  std::vector<std::string> log_;
  TrayIconTable trays_;
  std::shared_ptr<std::multiset<std::string>> mutexes_;
  PhoneLinks links_;
  RecordingNotifications notifications_;
  bool notificationsOn_ = true;
};

}  // namespace platform::shell
