// The settings half of fMain: loading, storing, change tracking, Apply and Cancel.
#include <algorithm>

#include "platform/outlook/text_util.h"
#include "ringova_outlook/dialing/addin_dialing.h"
#include "ringova_outlook/frontend/main_window.h"
#include "ringova_outlook/resources/string_table.h"

namespace ringova {

using platform::outlook::TrimBlanks;
using platform::ui::ShowMode;

namespace {

std::string Trimmed(const platform::ui::Control& c) {
  return std::string(TrimBlanks(c.text()));
}

void SetTextIfDifferent(platform::ui::TextBox& box, const std::string& text) {
  if (box.text() != text) box.setText(text);
}

void SetCheck(platform::ui::CheckBox& box, bool on) {
  if (box.checked() != on) box.setValue(on ? 1 : 0);
}

}  // namespace

void fMain::RestoreSettings() {
  if (!loaded()) load();
  Log("Load Registry Settings...");
  SettingsLoaded = false;
  text_not_connected_ = std::string(LoadResString(144));
  lblMessage.setCaption(text_not_connected_);

  RestoreDialRules();
  bool mandatory_missing = false;
  settings_ = store_.Load(mandatory_missing);
  location_.LoadCountryList(settings_.Country, cboCountry);

  ShowFields();
  AllContactsMode = settings_.FillContacts;
  ProgramReconnectTimer();

  btnApply.setEnabled(false);
  UpdateCancelCaption();
  SettingsLoaded = true;

  if (mandatory_missing) {
    settings_.Activated = false;
    show(ShowMode::Modal);
  }
}

void fMain::ShowFields() {
  txtServAddr.setText(settings_.ServAddr);
  txtServPort.setText(std::to_string(settings_.ServPort));
  txtUserName.setText(settings_.UserName);
  txtPswd.setText(settings_.Password);
  timeout.setText(std::to_string(settings_.TimeIncoming));
  reconnectTimeout.setText(std::to_string(settings_.TimeReconnect));
  chArrived.setValue(settings_.Incoming ? 1 : 0);
  chSecure.setValue(settings_.Secure ? 1 : 0);
  chReconnect.setValue(settings_.Reconnect ? 1 : 0);
  chTapi.setValue(settings_.TapiPhone ? 1 : 0);
  chUpdate.setValue(settings_.CheckUpdate ? 1 : 0);
  chNotify.setValue(settings_.DesktopNotifications ? 1 : 0);
  optLoadAll.setValue(settings_.FillContacts);
  optLoadSel.setValue(settings_.LoadSelectedFolders);
}

void fMain::SaveSettings() {
  if (!StartupDone) return;
  Log("SaveSettings...");
  const AddinSettings& s = settings_;
  store_.Write("ServAddr", s.ServAddr);
  store_.WriteNumber("ServPort", s.ServPort);
  store_.Write("UserName", s.UserName);
  store_.Write("Password", s.Password);
  store_.Write("TimeIncoming", timeout.text());
  store_.Write("TimeReconnect", reconnectTimeout.text());
  store_.WriteBool("Incoming", s.Incoming);
  store_.WriteBool("Secure", s.Secure);
  store_.WriteBool("Reconnect", chReconnect.checked());
  store_.WriteBool("Activated", s.Activated);
  store_.WriteBool("TapiPhone", chTapi.checked());
  store_.WriteBool("FillContacts", s.FillContacts);
  store_.Write("PathLogFile", s.PathLogFile);
  store_.WriteBool("CheckUpdate", chUpdate.checked());
  store_.Write("Country", cboCountry.text());
  store_.WriteBool("DontShowOnStartup", s.DontShowOnStartup);
  store_.Write("SelectedContactFolders", s.SelectedContactFolders);
  store_.WriteBool("LoadSelectedFolders", s.LoadSelectedFolders);
  store_.WriteBool("DesktopNotifications", chNotify.checked());
}

void fMain::SetInterPrefix(std::string_view country, std::int16_t& index) {
  location_.SetInterPrefix(country, index);
}

bool fMain::SettingsChanged() const {
  const AddinSettings& s = settings_;
  return Trimmed(txtServAddr) != s.ServAddr || Trimmed(txtUserName) != s.UserName ||
         Trimmed(txtPswd) != s.Password || FieldNumber(txtServPort.text()) != s.ServPort ||
         FieldNumber(timeout.text()) != s.TimeIncoming ||
         FieldNumber(reconnectTimeout.text()) != s.TimeReconnect ||
         chSecure.checked() != s.Secure || chArrived.checked() != s.Incoming ||
         chReconnect.checked() != s.Reconnect || chTapi.checked() != s.TapiPhone ||
         chUpdate.checked() != s.CheckUpdate || chNotify.checked() != s.DesktopNotifications ||
         cboCountry.text() != s.Country;
}

void fMain::UpdateCancelCaption() {
  btnCancel.setCaption(btnApply.enabled() ? text_cancel_ : text_close_);
}

void fMain::FieldChanged() {
  if (!SettingsLoaded) return;
  btnApply.setEnabled(SettingsChanged());
  UpdateCancelCaption();
}

void fMain::LoadOptionClicked() {
  btnApply.setEnabled(true);
  UpdateCancelCaption();
}

void fMain::TimeoutLostFocus() {
  std::string text = Trimmed(timeout);
  int value = FieldNumber(text);
  const char* corrected = nullptr;
  if (text.empty() || value <= 0) {
    corrected = "1";
  } else if (value > kMaxTimeIncoming) {
    corrected = "60";
  }
  if (!corrected) return;
  timeout.setText(corrected);
  timeout.setFocus();
}

void fMain::ReconnectTimeoutLostFocus() {
  std::string text = Trimmed(reconnectTimeout);
  int value = FieldNumber(text);
  const char* corrected = nullptr;
  if (text.empty() || value < kMinTimeReconnect) {
    corrected = "30";
  } else if (value > kMaxTimeReconnect) {
    corrected = "600";
  }
  if (!corrected) return;
  reconnectTimeout.setText(corrected);
  reconnectTimeout.setFocus();
}

void fMain::SubscribeIncoming() {
  HandledIncoming = telvane_.IncomingCallHandling(settings_.UserName, true);
  Log("Request for HandledIncoming Ext: " + settings_.UserName + " " +
      (HandledIncoming ? "Succeeded" : "Failed"));
}

void fMain::UnsubscribeIncoming() {
  telvane_.IncomingCallHandling(settings_.UserName, false);
  HandledIncoming = false;
}

void fMain::Apply() {
  Log("Apply settings");
  SettingsLoaded = false;
  AddinSettings& s = settings_;

  // The server fields are disabled while connected, so a live session keeps its server.
  auto applyText = [&](platform::ui::TextBox& box, std::string& setting, const char* name) {
    if (!box.enabled()) return;
    std::string text = Trimmed(box);
    if (text == setting) return;
    setting = text;
    store_.Write(name, setting);
  };
  applyText(txtServAddr, s.ServAddr, "ServAddr");
  if (txtServPort.enabled()) {
    int port = FieldPort(txtServPort.text());
    if (port != 0 && port != s.ServPort) {
      s.ServPort = port;
      store_.WriteNumber("ServPort", s.ServPort);
    }
  }
  applyText(txtUserName, s.UserName, "UserName");
  applyText(txtPswd, s.Password, "Password");

  if (chSecure.checked() != s.Secure) {
    s.Secure = chSecure.checked();
    store_.WriteBool("Secure", s.Secure);
  }
  int timeIncoming = std::clamp(FieldNumber(timeout.text()), kMinTimeIncoming, kMaxTimeIncoming);
  if (timeIncoming != s.TimeIncoming) {
    s.TimeIncoming = timeIncoming;
    store_.WriteNumber("TimeIncoming", s.TimeIncoming);
  }
  if (chReconnect.checked() != s.Reconnect) {
    s.Reconnect = chReconnect.checked();
    store_.WriteBool("Reconnect", s.Reconnect);
    if (ReconnectTimerRunning(kReconnectTimer) && !s.Reconnect) StopTimer(kReconnectTimer);
  }
  int timeReconnect =
      std::clamp(FieldNumber(reconnectTimeout.text()), kMinTimeReconnect, kMaxTimeReconnect);
  if (timeReconnect != s.TimeReconnect) {
    s.TimeReconnect = timeReconnect;
    store_.WriteNumber("TimeReconnect", s.TimeReconnect);
    bool running = ReconnectTimerRunning(kReconnectTimer);
    if (running) StopTimer(kReconnectTimer);
    ProgramReconnectTimer();
    if (running) StartTimer(kReconnectTimer);
  }
  if (cboCountry.text() != s.Country) {
    std::int16_t index = -1;
    SetInterPrefix(cboCountry.text(), index);
    s.Country = cboCountry.text();
    Log("Ringova Location country: " + s.Country);
  }
  if (chArrived.checked() != s.Incoming) {
    s.Incoming = chArrived.checked();
    store_.WriteBool("Incoming", s.Incoming);
    if (PbxConnected) {
      if (s.Incoming) {
        SubscribeIncoming();
      } else if (HandledIncoming) {
        UnsubscribeIncoming();
        Log("HandledIncoming Ext: " + s.UserName + " => Off");
        if (incoming_ && incoming_->HasRecords()) incoming_->DropAll();
      }
    }
  }
  if (chTapi.checked() != s.TapiPhone) {
    s.TapiPhone = chTapi.checked();
    store_.WriteBool("TapiPhone", s.TapiPhone);
  }
  if (chUpdate.checked() != s.CheckUpdate) {
    s.CheckUpdate = chUpdate.checked();
    store_.WriteBool("CheckUpdate", s.CheckUpdate);
  }
  if (chNotify.checked() != s.DesktopNotifications) {
    s.DesktopNotifications = chNotify.checked();
    store_.WriteBool("DesktopNotifications", s.DesktopNotifications);
  }

  SettingsLoaded = true;
  btnApply.setEnabled(false);
  UpdateCancelCaption();

  s.FillContacts = optLoadAll.value();
  s.LoadSelectedFolders = optLoadSel.value();
  Log(std::string("All: ") + BoolText(s.FillContacts) +
      " , Sel: " + BoolText(s.LoadSelectedFolders));
  if (PbxConnected) ApplyReloadContacts();
  ApplyUpdateCheck();
}

void fMain::ApplyReloadContacts() {
  AddinSettings& s = settings_;
  bool holds = contacts_ && contacts_->HasRecords();
  if (s.FillContacts && !(holds && AllContactsMode)) {
    if (visible()) hide();
    if (HandledIncoming) {
      Log("Unsubscribe IncomingCallHandling  to load all contacts");
      UnsubscribeIncoming();
    }
    if (contacts_) contacts_->LoadAllContacts();
    if (s.Incoming) SubscribeIncoming();
  } else if (!s.FillContacts && s.LoadSelectedFolders) {
    if (visible()) hide();
    if (HandledIncoming) {
      Log("Unsubscribe IncomingCallHandling to load selected contacts");
      UnsubscribeIncoming();
    }
    if (contacts_) contacts_->ShowFolderSelection(*this);
    if (s.Incoming) SubscribeIncoming();
  }
  if (!AllContactsMode) AllContactsMode = s.FillContacts;
}

void fMain::ApplyUpdateCheck() {
  if (!settings_.CheckUpdate || !StartupDone) return;
  if (PbxConnected && HandledIncoming) UnsubscribeIncoming();
  if (visible()) hide();
  if (update_check_) update_check_->CheckAppVersion();
  if (PbxConnected && settings_.Incoming) SubscribeIncoming();
}

void fMain::RestoreFields() {
  SettingsLoaded = false;
  const AddinSettings& s = settings_;
  SetTextIfDifferent(txtServAddr, s.ServAddr);
  SetTextIfDifferent(txtServPort, std::to_string(s.ServPort));
  SetTextIfDifferent(txtUserName, s.UserName);
  SetTextIfDifferent(txtPswd, s.Password);
  if (cboCountry.text() != s.Country) cboCountry.setListIndex(cboCountry.findText(s.Country));
  SetCheck(chArrived, s.Incoming);
  SetTextIfDifferent(timeout, std::to_string(s.TimeIncoming));
  SetCheck(chReconnect, s.Reconnect);
  SetTextIfDifferent(reconnectTimeout, std::to_string(s.TimeReconnect));
  SetCheck(chTapi, s.TapiPhone);
  SetCheck(chUpdate, s.CheckUpdate);
  SetCheck(chNotify, s.DesktopNotifications);
  optLoadAll.setValue(s.FillContacts);
  optLoadSel.setValue(s.LoadSelectedFolders);
  btnApply.setEnabled(false);
  SettingsLoaded = true;
}

void fMain::Cancel() {
  RestoreFields();
  UpdateCancelCaption();
  hide();
}

}  // namespace ringova
