#include "platform/shell/recording_shell.h"

#include "platform/ui/form.h"

namespace platform::shell {
namespace {

const char* buttonsName(MsgBoxButtons b) {
  switch (b) {
    case MsgBoxButtons::Ok:
      return "Ok";
    case MsgBoxButtons::OkCancel:
      return "OkCancel";
    case MsgBoxButtons::AbortRetryIgnore:
      return "AbortRetryIgnore";
    case MsgBoxButtons::YesNoCancel:
      return "YesNoCancel";
    case MsgBoxButtons::YesNo:
      return "YesNo";
    case MsgBoxButtons::RetryCancel:
      return "RetryCancel";
  }
  return "?";
}

std::string quoted(const std::string& s) {
  return "\"" + s + "\"";
}

// A name held in the double's set until the handle goes.
class RecordedMutex final : public NamedMutex {
 public:
  RecordedMutex(std::string name, bool existed, std::shared_ptr<std::multiset<std::string>> names)
      : name_(std::move(name)), existed_(existed), names_(std::move(names)) {
    names_->insert(name_);
  }
  ~RecordedMutex() override { names_->erase(names_->find(name_)); }
  const std::string& name() const override { return name_; }
  bool alreadyExisted() const override { return existed_; }

 private:
  std::string name_;
  bool existed_;
  std::shared_ptr<std::multiset<std::string>> names_;
};

}  // namespace

RecordingShell::RecordingShell() : mutexes_(std::make_shared<std::multiset<std::string>>()) {
  userLocale_ = parseLocale("en_US.UTF-8");
  systemLocale_ = userLocale_;
  SystemVersion v;
  v.major = 6;
  v.minor = 1;
  v.platform = "Linux";
  v.release = "6.1.0";
  v.name = "Linux 6.1.0";
  version_ = v;
}

RecordingShell::~RecordingShell() = default;

MsgBoxResult RecordingShell::messageBox(const MessageBoxRequest& request) {
  boxes_.push_back(request);
  MsgBoxResult answer;
  if (boxAnswers_.empty()) {
    answer = closeResult(request.buttons);
    ++unanswered_;
  } else {
    answer = boxAnswers_.front();
    boxAnswers_.pop_front();
  }
  log_.push_back("messageBox " + quoted(request.text) + " " + quoted(request.title) + " " +
                 buttonsName(request.buttons) + " -> " + buttonText(answer));
  if (onMessageBox) {
    auto handler = onMessageBox;
    handler(request);
  }
  return answer;
}

void RecordingShell::beep(int frequencyHz, int durationMs) {
  beeps_.push_back(Beep{frequencyHz, durationMs});
  log_.push_back("beep " + std::to_string(frequencyHz) + " " + std::to_string(durationMs));
}

bool RecordingShell::bringToFront(ui::Form& form) {
  fronts_.push_back(form.name());
  log_.push_back("bringToFront " + form.name());
  return form.visible();
}

TrayIconId RecordingShell::addTrayIcon(TrayIcon icon) {
  std::string tip = icon.tip;
  TrayIconId id = trays_.add(std::move(icon));
  log_.push_back("addTrayIcon " + std::to_string(id) + " " + quoted(trays_.find(id)->tip));
  return id;
}

bool RecordingShell::setTrayTip(TrayIconId id, const std::string& tip) {
  log_.push_back("setTrayTip " + std::to_string(id) + " " + quoted(tip));
  return trays_.setTip(id, tip);
}

bool RecordingShell::deleteTrayIcon(TrayIconId id) {
  log_.push_back("deleteTrayIcon " + std::to_string(id));
  return trays_.remove(id);
}

bool RecordingShell::openAddress(const std::string& address) {
  opened_.push_back(address);
  log_.push_back("open " + quoted(address));
  return openResult_;
}

std::optional<std::string> RecordingShell::fileDialog(const FileDialogRequest& request) {
  dialogs_.push_back(request);
  std::optional<std::string> answer;
  if (!dialogAnswers_.empty()) {
    answer = std::move(dialogAnswers_.front());
    dialogAnswers_.pop_front();
  }
  log_.push_back("fileDialog " + quoted(request.fileName) + " -> " +
                 (answer ? quoted(*answer) : "cancel"));
  return answer;
}

std::unique_ptr<NamedMutex> RecordingShell::createNamedMutex(const std::string& name) {
  bool existed = mutexes_->count(name) > 0;
  log_.push_back("createNamedMutex " + quoted(name) + (existed ? " existed" : ""));
  if (name.empty()) return nullptr;
  return std::make_unique<RecordedMutex>(name, existed, mutexes_);
}

std::string RecordingShell::specialFolder(SpecialFolder folder) {
  auto it = folders_.find(folder);
  return it == folders_.end() ? std::string() : it->second;
}

void RecordingShell::forgetRecords() {
  boxes_.clear();
  beeps_.clear();
  fronts_.clear();
  opened_.clear();
  dialogs_.clear();
  log_.clear();
  notifications_.forgetClosed();
}

}  // namespace platform::shell
