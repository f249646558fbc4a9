#pragma once
// The add-in's support windows on its toolkit: the question window and the log
// file options window, and the log's failure path (a message box, then the
// options window so the user can choose another folder).
//
// One per add-in, created at connection; while installed, the free ShowNote
// and the add-in log's failures use it. On the UI thread only.

#include <memory>
#include <string>
#include <string_view>

#include "platform/shell/shell.h"
#include "platform/ui/toolkit.h"
#include "ringova_outlook/support/log_file.h"
#include "ringova_outlook/support/log_options_window.h"
#include "ringova_outlook/support/note_window.h"

namespace platform::outlook {
class Application;
}

namespace ringova {

class SupportWindows {
 public:
  // Installs itself as the failure handler of log until destroyed, and picks
  // the string table of the shell's user locale.
  SupportWindows(platform::ui::Toolkit& toolkit, platform::shell::Shell& shell,
                 LogFile& log = AddinLog());
  ~SupportWindows();
  SupportWindows(const SupportWindows&) = delete;
  SupportWindows& operator=(const SupportWindows&) = delete;

  // The settings window owns the question window and is hidden before the log
  // options window opens after a failure and when the log is mailed.
  void SetSettingsWindow(platform::ui::Form* settings);
  platform::ui::Form* SettingsWindow() const { return settings_; }
  void SetOutlook(platform::outlook::Application* outlook);

  NoteWindow& Note() { return *note_; }
  LogOptionsWindow& LogOptions() { return *log_options_; }

  bool ShowNote(std::string_view text, std::string_view title, std::string_view ok_caption,
                std::string_view cancel_caption);
  // Modal, owned by owner (the settings window's button).
  void ShowLogOptions(platform::ui::Form* owner);

 private:
  void LogWriteFailed(const std::string& text);

  platform::shell::Shell& shell_;
  LogFile& log_;
  platform::ui::Form* settings_ = nullptr;
  std::unique_ptr<NoteWindow> note_;
  std::unique_ptr<LogOptionsWindow> log_options_;
};

// The add-in's support windows, for the free functions below; nullptr to remove.
void InstallSupportWindows(SupportWindows* windows);

// The question window of the installed support windows; false without them.
bool ShowNote(std::string_view text, std::string_view title, std::string_view ok_caption,
              std::string_view cancel_caption);
bool NoteResult();

}  // namespace ringova
