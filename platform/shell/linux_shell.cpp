#include "platform/shell/linux_shell.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "platform/shell/open_address.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"

namespace platform::shell {
namespace {

const char* iconName(MsgBoxIcon icon) {
  switch (icon) {
    case MsgBoxIcon::Critical:
      return "Critical";
    case MsgBoxIcon::Question:
      return "Question";
    case MsgBoxIcon::Exclamation:
      return "Exclamation";
    case MsgBoxIcon::Information:
      return "Information";
    case MsgBoxIcon::None:
      break;
  }
  return "";
}

void center(ui::Toolkit& toolkit, ui::Form& form, int width, int height) {
  form.move((toolkit.screenWidth() - width) / 2, (toolkit.screenHeight() - height) / 2, width,
            height);
}

}  // namespace

LinuxShell::LinuxShell(ui::Toolkit& toolkit) : toolkit_(toolkit) {}
LinuxShell::~LinuxShell() = default;

MsgBoxResult LinuxShell::messageBox(const MessageBoxRequest& request) {
  ui::Form box(toolkit_, "MsgBox");
  box.setCaption(request.title);
  int n = buttonCount(request.buttons);
  int width = std::clamp(static_cast<int>(request.text.size()) * 90 + 1200, 3600, 9000);
  int lines = 1 + static_cast<int>(request.text.size()) * 90 / (width - 1200);
  int height = 1500 + lines * 240;
  center(toolkit_, box, width, height);

  auto& icon = box.add<ui::Label>("lblIcon");
  icon.setCaption(iconName(request.icon));
  icon.setVisible(request.icon != MsgBoxIcon::None);
  icon.move(240, 240, 480, 480);
  auto& text = box.add<ui::Label>("lblText");
  text.setCaption(request.text);
  text.move(840, 240, width - 1080, lines * 240);

  MsgBoxResult result = closeResult(request.buttons);
  std::vector<ui::CommandButton*> buttons;
  for (int i = 0; i < n; ++i) {
    MsgBoxResult r = buttonResult(request.buttons, i);
    auto& b = box.add<ui::CommandButton>("btn" + std::to_string(i));
    b.setCaption(buttonText(r));
    b.move(width - (n - i) * 1320 - 120, height - 960, 1200, 360);
    b.setDefault(i == request.defaultButton);
    b.setCancel(r == MsgBoxResult::Cancel);
    b.onClick = [&box, &result, r] {
      result = r;
      box.hide();
    };
    buttons.push_back(&b);
  }
  // The default button has the focus once the box is up.
  int focusFirst = std::clamp(request.defaultButton, 0, n - 1);
  box.onActivate = [&] {
    if (!box.activeControl()) buttons[focusFirst]->setFocus();
  };
  box.show(ui::ShowMode::Modal);
  return result;
}

void LinuxShell::beep(int frequencyHz, int durationMs) {
  if (beeper_) {
    auto beeper = beeper_;
    beeper(frequencyHz, durationMs);
    return;
  }
  if (::isatty(STDERR_FILENO)) (void)!::write(STDERR_FILENO, "\a", 1);
}

bool LinuxShell::bringToFront(ui::Form& form) {
  return form.bringToFront();
}

TrayIconId LinuxShell::addTrayIcon(TrayIcon icon) {
  return trays_.add(std::move(icon));
}
bool LinuxShell::setTrayTip(TrayIconId id, const std::string& tip) {
  return trays_.setTip(id, tip);
}
bool LinuxShell::deleteTrayIcon(TrayIconId id) {
  return trays_.remove(id);
}

bool LinuxShell::openAddress(const std::string& address) {
  const char* opener = std::getenv("TELVANE_OPENER");
  return startWithOpener(opener && *opener ? opener : "xdg-open", address);
}

std::optional<std::string> LinuxShell::fileDialog(const FileDialogRequest& request) {
  ui::Form dialog(toolkit_, "FileDialog");
  dialog.setCaption(!request.title.empty() ? request.title : request.save ? "Save As" : "Open");
  center(toolkit_, dialog, 6000, 2400);
  auto& filter = dialog.add<ui::Label>("lblFilter");
  filter.setCaption(request.filter);
  filter.move(240, 240, 5520, 240);
  auto& path = dialog.add<ui::TextBox>("txtPath");
  std::string preset = request.initialFolder;
  if (!preset.empty() && preset.back() != '/') preset += '/';
  path.setText(preset + request.fileName);
  path.move(240, 600, 5520, 360);
  auto& ok = dialog.add<ui::CommandButton>("btnOK");
  ok.setCaption(request.save ? "Save" : "Open");
  ok.setDefault(true);
  ok.move(3120, 1320, 1200, 360);
  auto& cancel = dialog.add<ui::CommandButton>("btnCancel");
  cancel.setCaption("Cancel");
  cancel.setCancel(true);
  cancel.move(4440, 1320, 1200, 360);

  std::optional<std::string> result;
  ok.onClick = [&] {
    if (path.text().empty()) return;
    result = path.text();
    dialog.hide();
  };
  cancel.onClick = [&] { dialog.hide(); };
  dialog.onActivate = [&] {
    if (!dialog.activeControl()) path.setFocus();
  };
  dialog.show(ui::ShowMode::Modal);
  return result;
}

std::unique_ptr<NamedMutex> LinuxShell::createNamedMutex(const std::string& name) {
  return createFileMutex(name);
}

std::string LinuxShell::specialFolder(SpecialFolder folder) {
  return xdgSpecialFolder(folder);
}
LocaleInfo LinuxShell::userLocale() {
  return shell::userLocale();
}
LocaleInfo LinuxShell::systemLocale() {
  return shell::systemLocale();
}
std::optional<SystemVersion> LinuxShell::systemVersion() {
  return querySystemVersion();
}

}  // namespace platform::shell
