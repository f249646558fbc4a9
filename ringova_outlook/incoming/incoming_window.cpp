#include "ringova_outlook/incoming/incoming_window.h"

#include <cmath>

#include "platform/outlook/text_util.h"
#include "ringova_outlook/contacts/contact_directory.h"
#include "ringova_outlook/dialing/addin_dialing.h"
#include "ringova_outlook/resources/string_table.h"

namespace ringova {

namespace ui = platform::ui;
namespace tray = platform::shell::tray;
using platform::outlook::ToLowerAscii;
using platform::outlook::TrimBlanks;

namespace {

constexpr int kColumnLength = 35;
constexpr int kStepRight = 250;
constexpr int kStepDown = 200;
constexpr int kBeepHz = 300;
constexpr int kBeepMs = 50;

// Captions from the string table, by control.
struct CaptionEntry {
  const char* control;
  int id;
};
constexpr CaptionEntry kCaptions[] = {
    {"frmFrom", 123},    {"lblCaller", 124}, {"lblContact", 125},
    {"frmForward", 126}, {"lblName", 127},   {"lblPhone", 128},
    {"cmdForward", 126}, {"cmdAccept", 129}, {"cmdReject", 130},
};
constexpr int kWindowText = 122;

// A frame's controls are placed in the frame, as the frame draws them.
constexpr ui::Placement kLayout[] = {
    {"frmFrom", 120, 60, 4800, 1095},         {"lblCaller", 240, 330, 1080, 255},
    {"txtCaller", 1380, 300, 3300, 315},      {"lblContact", 240, 720, 1080, 255},
    {"txtContactFrom", 1380, 690, 3300, 315}, {"frmForward", 120, 1215, 4800, 1095},
    {"lblName", 240, 330, 1080, 255},         {"cboFwd", 1380, 300, 3300, 315},
    {"lstContacts", 1380, 615, 3300, 1200},   {"lblPhone", 240, 720, 1080, 255},
    {"cboPhones", 1380, 690, 3300, 315},      {"cmdForward", 120, 2430, 1500, 375},
    {"cmdAccept", 1770, 2430, 1500, 375},     {"cmdReject", 3420, 2430, 1500, 375},
};

const PhoneRecordTable& NoRecords() {
  static const PhoneRecordTable empty;
  return empty;
}

}  // namespace

WindowPosition CascadePosition(int16_t index) {
  const int i = index < 0 ? 0 : index;
  const double column = static_cast<double>(i) / kColumnLength;
  const int row = i % kColumnLength;
  return {static_cast<int>(std::lround((column + row) * kStepRight)), row * kStepDown};
}

IncomingWindow::IncomingWindow(Context context)
    : Form(context.toolkit, "fIncoming"),
      frmFrom(add<ui::Frame>("frmFrom")),
      lblCaller(add<ui::Label>("lblCaller", &frmFrom)),
      txtCaller(add<ui::TextBox>("txtCaller", &frmFrom)),
      lblContact(add<ui::Label>("lblContact", &frmFrom)),
      txtContactFrom(add<ui::TextBox>("txtContactFrom", &frmFrom)),
      frmForward(add<ui::Frame>("frmForward")),
      lblName(add<ui::Label>("lblName", &frmForward)),
      cboFwd(add<ui::ComboBox>("cboFwd", &frmForward)),
      lstContacts(add<ui::ListBox>("lstContacts", &frmForward)),
      lblPhone(add<ui::Label>("lblPhone", &frmForward)),
      cboPhones(add<ui::ComboBox>("cboPhones", &frmForward)),
      cmdForward(add<ui::CommandButton>("cmdForward")),
      cmdAccept(add<ui::CommandButton>("cmdAccept")),
      cmdReject(add<ui::CommandButton>("cmdReject")),
      TimerInc(add<ui::TimerControl>("TimerInc")),
      TimerPlay(add<ui::TimerControl>("TimerPlay")),
      context_(std::move(context)),
      search_({cboFwd, lstContacts, cboPhones, cmdForward},
              context_.directory ? context_.directory->Records() : NoRecords(), context_.log,
              "Forward to contact: ") {
  move(0, 0, 5160, 3300);
  place(kLayout);
  txtCaller.setLocked(true);
  txtContactFrom.setLocked(true);
  cboPhones.setStyle(ui::ComboStyle::DropDownList);
  cmdForward.setEnabled(false);
  TimerPlay.setInterval(kReplayPauseMs);

  onLoad = [this] { OnLoad(); };
  onQueryUnload = [](bool& cancel, ui::UnloadMode mode) {
    // The call must end with a decision: the close box has none to give.
    if (mode == ui::UnloadMode::CloseBox) cancel = true;
  };
  onUnload = [this](bool&) { OnUnload(); };
  cmdAccept.onClick = [this] {
    Log("Accept_Click:  " + CallId());
    Decide(kActionAccept);
  };
  cmdReject.onClick = [this] {
    Log("Reject_Click:  " + CallId());
    Decide(kActionReject);
  };
  cmdForward.onClick = [this] { ForwardClicked(); };
  TimerInc.onTimer() = [this] { Decide(kActionAccept); };
  TimerPlay.onTimer() = [this] { PlayTick(); };
  cboFwd.onGotFocus = [this] { CopyContactNames(); };
}

IncomingWindow::~IncomingWindow() {
  RemoveTrayIcon();
}

void IncomingWindow::OnLoad() {
  decision_ = kActionNone;
  handed_over_ = false;
  TimerInc.setTimerEnabled(false);
  TimerPlay.setTimerEnabled(false);
  RemoveTrayIcon();
  platform::shell::TrayIcon icon;
  icon.tip = "New Call " + std::to_string(index_ + 1);
  icon.onMouse = [this](int message) { OnTrayMouse(message); };
  tray_ = context_.shell.addTrayIcon(std::move(icon));

  if (context_.applyFont) context_.applyFont(*this);
  setCaption(LoadResString(kWindowText));
  for (const CaptionEntry& e : kCaptions) {
    if (ui::Control* c = find(e.control)) c->setCaption(LoadResString(e.id));
  }
  search_.Clear();
  search_.SetSelectedRecord(-1);
  names_copied_ = false;
}

// The contact names reach the name box when the user first goes there: with tens of thousands of
// contacts and many calls at once, a copy per window would cost each caller's window milliseconds
// and the add-in a copy of the whole list per open window.
void IncomingWindow::CopyContactNames() {
  if (names_copied_ || !context_.directory) return;
  names_copied_ = true;
  CopyNames(context_.directory->Names(), cboFwd);
}

void IncomingWindow::LoadData(int16_t index, std::string_view caller) {
  index_ = index;  // before loading: the tray tip carries the call's number
  load();
  const WindowPosition at = CascadePosition(index);
  move(at.left, at.top);
  setCaption(caption() + std::to_string(index + 1));
  TimerInc.setInterval(context_.host.TimeIncoming() * 1000);
  TimerInc.setTimerEnabled(true);
  context_.shell.beep(kBeepHz, kBeepMs);
  txtCaller.setText(caller);
  std::string number;
  std::string name;
  if (context_.directory) name = context_.directory->GetContactByPhone(caller, number);
  txtContactFrom.setText(name);
  if (!name.empty()) txtCaller.setText(number);
  show(ui::ShowMode::Modeless);
  cmdAccept.setFocus();
}

void IncomingWindow::StartReplay() {
  if (loaded()) TimerPlay.setTimerEnabled(true);
}

void IncomingWindow::Decide(int16_t action) {
  decision_ = action;
  unload(ui::UnloadMode::Code);
}

void IncomingWindow::ForwardClicked() {
  decision_ = kActionForward;
  const std::string phone = cboPhones.text();
  const std::string cleaned = ToLowerAscii(TrimBlanks(phone));
  std::string target =
      context_.prepareNumber ? context_.prepareNumber(cleaned) : PrepareDialNumber(cleaned);
  Log("Forward_Click:  " + CallId() + "  to " + cboFwd.text() + " - '" + phone + "->" + target);
  context_.host.SetTarget(index_, std::move(target));
  unload(ui::UnloadMode::Code);
}

void IncomingWindow::PlayTick() {
  TimerPlay.setTimerEnabled(false);
  const std::string id = CallId();
  Log("PlayMessage - " + id);
  context_.host.PlayMessage(id, std::string(kFadingHope), 1);
}

void IncomingWindow::OnUnload() {
  TimerInc.setTimerEnabled(false);
  TimerInc.setInterval(0);
  TimerPlay.setTimerEnabled(false);
  // The host may empty its tables (and give this window up) inside the call below; nothing of
  // the window is touched after it but what the form itself does on return.
  const bool first = !handed_over_;
  handed_over_ = true;
  RemoveTrayIcon();
  if (first) context_.host.ServArrivedCall(index_, decision_);
}

void IncomingWindow::OnTrayMouse(int message) {
  switch (message) {
    case tray::LeftButtonDown:
    case tray::LeftButtonDoubleClick:
    case tray::RightButtonDown:
    case tray::RightButtonDoubleClick:
      setWindowState(ui::WindowState::Normal);
      show(ui::ShowMode::Modeless);
      context_.shell.bringToFront(*this);
      break;
    default:
      break;
  }
}

std::string IncomingWindow::CallId() const {
  return context_.host.CallIdOf(index_);
}

void IncomingWindow::Log(const std::string& line) const {
  if (context_.log) context_.log(line);
}

void IncomingWindow::RemoveTrayIcon() {
  if (tray_ == 0) return;
  context_.shell.deleteTrayIcon(tray_);
  tray_ = 0;
}

}  // namespace ringova
