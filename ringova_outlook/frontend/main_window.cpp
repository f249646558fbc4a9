#include "ringova_outlook/frontend/main_window.h"

#include "platform/outlook/application.h"
#include "ringova_outlook/dialing/addin_dialing.h"
#include "ringova_outlook/dialing/dialing_editor.h"
#include "ringova_outlook/frontend/call_flow.h"
#include "ringova_outlook/resources/string_table.h"
#include "ringova_outlook/support/apply_ui_font.h"
#include "ringova_outlook/support/support_windows.h"

namespace ringova {

using namespace platform::ui;

namespace {

std::string Res(int id) {
  return std::string(LoadResString(id));
}

// Captions from the string table, by control.
struct CaptionEntry {
  const char* control;
  int id;
};
constexpr CaptionEntry kCaptions[] = {
    {"lblConnect", 102}, {"lblAddress", 103},  {"lblPort", 104},      {"lblUser", 108},
    {"lblPswd", 106},    {"chSecure", 187},    {"chArrived", 110},    {"lblTimeout", 111},
    {"lblSec1", 112},    {"chReconnect", 113}, {"lblTry", 114},       {"lblSec2", 112},
    {"chTapi", 147},     {"chUpdate", 178},    {"chNotify", 188},     {"Label2", 182},
    {"lblDialing", 107}, {"Label1", 160},      {"btnDialRules", 161}, {"btnLogFile", 154},
    {"btnApply", 145},   {"optLoadAll", 189},  {"optLoadSel", 190},
};

// Wide enough for the longest captions of every language at the drawn font: a left column of
// check boxes and a right one of check boxes or a label with its box.
constexpr Placement kLayout[] = {
    {"lblConnect", 120, 120, 2400, 255},   {"lblAddress", 240, 480, 2100, 255},
    {"txtServAddr", 2400, 450, 2400, 315}, {"lblPort", 4920, 480, 900, 255},
    {"txtServPort", 5880, 450, 1080, 315}, {"lblUser", 240, 900, 2100, 255},
    {"txtUserName", 2400, 870, 1260, 315}, {"lblPswd", 3780, 900, 1260, 255},
    {"txtPswd", 5100, 870, 1860, 315},     {"chSecure", 240, 1290, 3420, 255},
    {"chNotify", 3780, 1290, 3180, 255},   {"chArrived", 240, 1650, 3420, 255},
    {"lblTimeout", 3780, 1650, 1800, 255}, {"timeout", 5640, 1620, 600, 315},
    {"lblSec1", 6300, 1650, 660, 255},     {"chReconnect", 240, 2010, 3420, 255},
    {"lblTry", 3780, 2010, 1800, 255},     {"reconnectTimeout", 5640, 1980, 600, 315},
    {"lblSec2", 6300, 2010, 660, 255},     {"chTapi", 240, 2370, 3420, 255},
    {"chUpdate", 3780, 2370, 3180, 255},   {"Label2", 240, 2760, 2160, 255},
    {"cboCountry", 2520, 2730, 4440, 315}, {"optLoadAll", 240, 3150, 3420, 255},
    {"optLoadSel", 3780, 3150, 3180, 255}, {"lblDialing", 120, 3570, 2400, 255},
    {"Label1", 240, 3930, 3420, 255},      {"btnDialRules", 3780, 3870, 2700, 375},
    {"btnLogFile", 240, 4380, 2700, 375},  {"lblMessage", 120, 4860, 6840, 495},
    {"cmdConnect", 240, 5460, 1500, 375},  {"btnApply", 2850, 5460, 1500, 375},
    {"btnCancel", 5460, 5460, 1500, 375},
};

}  // namespace

fMain::fMain(Context context)
    : Form(context.toolkit, "fMain"),
      lblConnect(add<Label>("lblConnect")),
      lblAddress(add<Label>("lblAddress")),
      txtServAddr(add<TextBox>("txtServAddr")),
      lblPort(add<Label>("lblPort")),
      txtServPort(add<TextBox>("txtServPort")),
      lblUser(add<Label>("lblUser")),
      txtUserName(add<TextBox>("txtUserName")),
      lblPswd(add<Label>("lblPswd")),
      txtPswd(add<TextBox>("txtPswd")),
      chSecure(add<CheckBox>("chSecure")),
      chArrived(add<CheckBox>("chArrived")),
      lblTimeout(add<Label>("lblTimeout")),
      timeout(add<TextBox>("timeout")),
      lblSec1(add<Label>("lblSec1")),
      chReconnect(add<CheckBox>("chReconnect")),
      lblTry(add<Label>("lblTry")),
      reconnectTimeout(add<TextBox>("reconnectTimeout")),
      lblSec2(add<Label>("lblSec2")),
      chTapi(add<CheckBox>("chTapi")),
      chUpdate(add<CheckBox>("chUpdate")),
      chNotify(add<CheckBox>("chNotify")),
      Label2(add<Label>("Label2")),
      cboCountry(add<ComboBox>("cboCountry")),
      optLoadAll(add<OptionButton>("optLoadAll")),
      optLoadSel(add<OptionButton>("optLoadSel")),
      lblDialing(add<Label>("lblDialing")),
      Label1(add<Label>("Label1")),
      btnDialRules(add<CommandButton>("btnDialRules")),
      btnLogFile(add<CommandButton>("btnLogFile")),
      cmdConnect(add<CommandButton>("cmdConnect")),
      btnApply(add<CommandButton>("btnApply")),
      btnCancel(add<CommandButton>("btnCancel")),
      lblMessage(add<Label>("lblMessage")),
      TimerRec(add<TimerControl>("TimerRec")),
      context_(std::move(context)),
      store_(context_.user, context_.log),
      location_(context_.machine, context_.shell, context_.log),
      telvane_(context_.toolkit.loop()) {
  cboCountry.setStyle(ComboStyle::DropDownList);
  txtPswd.setMaxLength(64);
  txtPswd.setPasswordChar('*');
  btnCancel.setCancel(true);
  Layout();
  WireEvents();
  calls_ = std::make_unique<CallFlow>(*this);
  incoming_ = calls_.get();
}

fMain::~fMain() {
  telvane_.Release();
}

void fMain::Layout() {
  move(0, 0, 7200, 6300);
  place(kLayout);
}

void fMain::WireEvents() {
  onLoad = [this] { OnLoad(); };
  onQueryUnload = [this](bool& cancel, UnloadMode mode) { OnQueryUnload(cancel, mode); };
  onUnload = [this](bool&) { OnUnload(); };

  for (TextBox* box :
       {&txtServAddr, &txtServPort, &txtUserName, &txtPswd, &timeout, &reconnectTimeout}) {
    box->onChange = [this] { FieldChanged(); };
  }
  for (Control* c : {static_cast<Control*>(&chSecure), static_cast<Control*>(&chArrived),
                     static_cast<Control*>(&chReconnect), static_cast<Control*>(&chTapi),
                     static_cast<Control*>(&chUpdate), static_cast<Control*>(&chNotify),
                     static_cast<Control*>(&cboCountry)}) {
    c->onClick = [this] { FieldChanged(); };
  }
  optLoadAll.onClick = [this] { LoadOptionClicked(); };
  optLoadSel.onClick = [this] { LoadOptionClicked(); };
  timeout.onLostFocus = [this] { TimeoutLostFocus(); };
  reconnectTimeout.onLostFocus = [this] { ReconnectTimeoutLostFocus(); };

  btnApply.onClick = [this] { Apply(); };
  btnCancel.onClick = [this] { Cancel(); };
  cmdConnect.onClick = [this] { ConnectClicked(); };
  TimerRec.onTimer() = [this] { ReconnectTick(); };
  btnDialRules.onClick = [this] {
    DialingEditor editor(AddinDialingEditorContext(context_.toolkit, context_.shell,
                                                   [](Form& f) { ApplyUIFont(f); }));
    editor.Open(this);
  };
  btnLogFile.onClick = [this] {
    if (support_) support_->ShowLogOptions(this);
  };
}

void fMain::OnLoad() {
  setCaption(Res(101));
  for (const CaptionEntry& e : kCaptions) {
    if (Control* c = find(e.control)) c->setCaption(Res(e.id));
  }
  text_activate_ = Res(115);
  text_deactivate_ = Res(116);
  text_mandatory_ = Res(136);
  text_cancel_ = Res(146);
  text_close_ = Res(117);
  text_call_canceled_ = Res(138);
  text_not_connected_ = Res(144);
  cmdConnect.setCaption(text_activate_);
  btnCancel.setCaption(text_close_);
  TimerRec.setTimerEnabled(false);
  ApplyUIFont(*this);

  platform::HResult hr = telvane_.Create();
  if (!telvane_.exists()) {
    Log("Telvane control " + std::string(kTelvaneProgId) + " cannot be created: error " +
        std::to_string(static_cast<std::uint32_t>(hr)));
    return;
  }
  telvane_.Advise("Disconnected", [this](const auto&) { Disconnected(); });
  telvane_.Advise("ExtListArrived", [this](const std::vector<platform::Variant>& a) {
    std::string id, list;
    if (a.size() >= 2 && a[0].toText(id) && a[1].toText(list)) ExtListArrived(id, list);
  });
  calls_->AdviseEvents();
}

void fMain::OnQueryUnload(bool& cancel, UnloadMode mode) {
  if (mode != UnloadMode::CloseBox) return;
  // The window lives as long as the add-in: the close box only hides it.
  RestoreFields();
  UpdateCancelCaption();
  hide();
  cancel = true;
}

void fMain::OnUnload() {
  settings_.Activated = PbxConnected;
  SaveSettings();
  if (PbxConnected) telvane_.Disconnect();
  if (ReconnectTimerRunning(kReconnectTimer)) StopTimer(kReconnectTimer);
  if (incoming_) incoming_->CloseWindows();
  telvane_.Release();
}

void fMain::Log(std::string_view line) const {
  if (context_.log) context_.log(line);
}

void fMain::Message(const std::string& text) {
  context_.shell.messageBox(text, "Ringova");
}

void fMain::ChangeButtons(ButtonMode mode) {
  if (button_modes_) button_modes_->ChangeButtonsState(static_cast<std::int16_t>(mode));
}

bool fMain::HasActiveExplorer() const {
  return outlook_ && outlook_->ActiveExplorer() != nullptr;
}

}  // namespace ringova
