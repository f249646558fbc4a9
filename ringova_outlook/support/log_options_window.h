#pragma once
// The log file options window: move the log to another folder, restore the
// default folder, or mail the current log file.

#include <functional>
#include <string>

#include "platform/shell/shell.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "ringova_outlook/support/log_file.h"

namespace platform::outlook {
class Application;
}

namespace ringova {

class LogOptionsWindow final : public platform::ui::Form {
 public:
  // The settings window is hidden when the log is mailed; Outlook may be absent
  // (sending then fails and is logged). All must outlive the window.
  LogOptionsWindow(platform::ui::Toolkit& toolkit, platform::shell::Shell& shell, LogFile& log);

  void SetSettingsWindow(platform::ui::Form* settings) { settings_ = settings; }
  void SetOutlook(platform::outlook::Application* outlook) { outlook_ = outlook; }

  platform::ui::TextBox& txtLogFile() { return txt_log_file_; }
  platform::ui::Label& lblKeep() { return lbl_keep_; }
  platform::ui::CommandButton& btnBrowse() { return btn_browse_; }
  platform::ui::CommandButton& btnRestore() { return btn_restore_; }
  platform::ui::CommandButton& btnSend() { return btn_send_; }
  platform::ui::CommandButton& btnApply() { return btn_apply_; }
  platform::ui::CommandButton& btnCancel() { return btn_cancel_; }

 private:
  void Opened();
  void EnableApplyWhenChanged();
  void Browse();
  void Restore();
  void Apply();
  void Send();

  platform::shell::Shell& shell_;
  LogFile& log_;
  platform::ui::Form* settings_ = nullptr;
  platform::outlook::Application* outlook_ = nullptr;

  platform::ui::Label& lbl_keep_;
  platform::ui::TextBox& txt_log_file_;
  platform::ui::CommandButton& btn_browse_;
  platform::ui::CommandButton& btn_restore_;
  platform::ui::CommandButton& btn_send_;
  platform::ui::CommandButton& btn_apply_;
  platform::ui::CommandButton& btn_cancel_;
};

}  // namespace ringova
