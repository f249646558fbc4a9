#include "ringova_outlook/support/log_options_window.h"

#include <string>

#include "platform/outlook/application.h"
#include "ringova_outlook/resources/string_table.h"
#include "ringova_outlook/support/apply_ui_font.h"

namespace ringova {

using platform::ui::CommandButton;

namespace {

// The buttons beside the folder take the longest caption of every language.
constexpr platform::ui::Placement kLayout[] = {
    {"lblKeep", 120, 120, 4200, 255},     {"txtLogFile", 120, 420, 4680, 315},
    {"btnBrowse", 4920, 390, 1800, 375},  {"btnRestore", 4920, 870, 1800, 375},
    {"btnSend", 120, 1470, 1335, 375},    {"btnApply", 3930, 1470, 1335, 375},
    {"btnCancel", 5385, 1470, 1335, 375},
};

}  // namespace

LogOptionsWindow::LogOptionsWindow(platform::ui::Toolkit& toolkit, platform::shell::Shell& shell,
                                   LogFile& log)
    : Form(toolkit, "fLogFile"),
      shell_(shell),
      log_(log),
      lbl_keep_(add<platform::ui::Label>("lblKeep")),
      txt_log_file_(add<platform::ui::TextBox>("txtLogFile")),
      btn_browse_(add<CommandButton>("btnBrowse")),
      btn_restore_(add<CommandButton>("btnRestore")),
      btn_send_(add<CommandButton>("btnSend")),
      btn_apply_(add<CommandButton>("btnApply")),
      btn_cancel_(add<CommandButton>("btnCancel")) {
  move(0, 0, 6960, 2400);
  place(kLayout);
  btn_cancel_.setCancel(true);

  onLoad = [this] { Opened(); };
  txt_log_file_.onChange = [this] { EnableApplyWhenChanged(); };
  btn_browse_.onClick = [this] { Browse(); };
  btn_restore_.onClick = [this] { Restore(); };
  btn_apply_.onClick = [this] { Apply(); };
  btn_send_.onClick = [this] { Send(); };
  btn_cancel_.onClick = [this] { unload(); };
}

void LogOptionsWindow::Opened() {
  ApplyUIFont(*this);
  setCaption(LoadResString(154));
  lbl_keep_.setCaption(LoadResString(150));
  btn_browse_.setCaption(LoadResString(151));
  btn_restore_.setCaption(LoadResString(152));
  btn_send_.setCaption(LoadResString(153));
  btn_apply_.setCaption(LoadResString(145));
  btn_cancel_.setCaption(LoadResString(146));
  txt_log_file_.setText(log_.Folder());
  btn_apply_.setEnabled(false);
}

void LogOptionsWindow::EnableApplyWhenChanged() {
  if (txt_log_file_.text() != log_.Folder()) btn_apply_.setEnabled(true);
}

void LogOptionsWindow::Browse() {
  platform::shell::FileDialogRequest request;
  request.title = LoadResString(154);
  request.initialFolder = log_.Folder();
  request.fileName = LogFile::NumberedName(1);
  request.filter = "Text files|*.txt";
  request.save = true;  // the chosen folder need not hold a log yet
  std::optional<std::string> path = shell_.fileDialog(request);
  if (path && !path->empty() && *path != request.fileName) {
    std::size_t at = path->find("RingovaLog");
    if (at == std::string::npos) {
      log_.WriteToLogFile("btnBrowse_Click: Error - Invalid procedure call or argument");
      return;
    }
    txt_log_file_.setText(path->substr(0, at));
  } else {
    txt_log_file_.setText(log_.Folder());
  }
  EnableApplyWhenChanged();
}

void LogOptionsWindow::Restore() {
  txt_log_file_.setText(DefaultLogFolder());
  EnableApplyWhenChanged();
}

void LogOptionsWindow::Apply() {
  std::string error;
  if (!log_.MoveToFolder(txt_log_file_.text(), error)) {
    log_.WriteToLogFile("btnApply_Click: Error - " + error);
    return;
  }
  btn_apply_.setEnabled(false);
}

void LogOptionsWindow::Send() {
  std::string name = log_.FileName().empty() ? log_.GetLogFile() : log_.FileName();
  std::string path = log_.Folder() + name;
  if (outlook_ == nullptr) {
    log_.WriteToLogFile("btnSend_Click: Error - Outlook is not available");
    return;
  }
  std::shared_ptr<platform::outlook::MailItem> mail = outlook_->CreateMailItem();
  if (!mail) {
    log_.WriteToLogFile("btnSend_Click: Error - A mail item could not be created");
    return;
  }
  if (mail->Attachments().Add(path) == nullptr) {
    log_.WriteToLogFile("btnSend_Click: Error - File not found: " + path);
    return;
  }
  unload();
  if (settings_ != nullptr && settings_->visible()) settings_->hide();
  mail->Display();
}

}  // namespace ringova
