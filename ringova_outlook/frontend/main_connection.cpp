// The connection half of fMain: the connect button, login, join mode, own identity, the
// incoming-call subscription, loss of the session and the reconnect timer.
#include <algorithm>

#include "platform/outlook/text_util.h"
#include "ringova_outlook/frontend/call_flow.h"
#include "ringova_outlook/frontend/main_window.h"

namespace ringova {

using platform::outlook::TrimBlanks;
using platform::ui::MousePointer;

namespace {

std::string Trimmed(const platform::ui::Control& c) {
  return std::string(TrimBlanks(c.text()));
}

}  // namespace

void fMain::ConnectClicked() {
  if (ReconnectTimerRunning(kReconnectTimer)) StopTimer(kReconnectTimer);
  if (PbxConnected) {
    Log("Disconnecting from device...");
    HandledIncoming = false;
    btnApply.setEnabled(false);
    UpdateCancelCaption();
    telvane_.Disconnect();
    DisconnectComplete();
    return;
  }

  AddinSettings& s = settings_;
  auto mandatory = [&](platform::ui::TextBox& field) {
    context_.shell.messageBox(text_mandatory_, "Ringova");
    field.setFocus();
  };
  s.ServAddr = Trimmed(txtServAddr);
  if (s.ServAddr.empty()) return mandatory(txtServAddr);
  // A text that is no port counts as missing: it could only fail at the PBX.
  int port = FieldPort(txtServPort.text());
  if (port == 0) return mandatory(txtServPort);
  s.ServPort = port;
  s.UserName = Trimmed(txtUserName);
  if (s.UserName.empty()) return mandatory(txtUserName);

  s.Password = Trimmed(txtPswd);
  s.Secure = chSecure.checked();
  s.Incoming = chArrived.checked();
  s.Reconnect = chReconnect.checked();
  int timeReconnect =
      std::clamp(FieldNumber(reconnectTimeout.text()), kMinTimeReconnect, kMaxTimeReconnect);
  if (timeReconnect != s.TimeReconnect) {
    s.TimeReconnect = timeReconnect;
    ProgramReconnectTimer();
  }
  s.TapiPhone = chTapi.checked();
  s.CheckUpdate = chUpdate.checked();
  if (cboCountry.text() != s.Country) {
    std::int16_t index = -1;
    SetInterPrefix(cboCountry.text(), index);
    s.Country = cboCountry.text();
  }
  s.FillContacts = optLoadAll.value();
  s.LoadSelectedFolders = optLoadSel.value();

  btnApply.setEnabled(false);
  UpdateCancelCaption();
  Connect(true);
}

void fMain::Connect(bool guiRequest) {
  if (!outlook_ || PbxConnected) return;
  const AddinSettings& s = settings_;
  Log(std::string("Connect: GUI Request ") + (guiRequest ? "Yes" : "No"));
  if (guiRequest) {
    setMousePointer(MousePointer::Hourglass);
    setEnabled(false);
  }

  std::time_t now = context_.now ? context_.now() : std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::string timestamp = LoginTimestamp(local, context_.timeLocale.c_str());
  const int codePage = context_.shell.systemLocale().ansiCodePage;
  std::string unmappable;
  std::optional<std::string> auth =
      AuthenticationText(s.UserName, s.Password, timestamp, codePage, &unmappable);
  if (!auth) {
    // No PBX could match a digest over other bytes than the user's system gives it.
    Log("Connect: the " + unmappable + " has a character that code page " +
        std::to_string(codePage) + " cannot write");
  } else {
    legs_.Leg1.CallID = "0";
    if (incoming_ && incoming_->HasRecords()) incoming_->DropAll();
    telvane_.SetConnectionMode(s.Secure);
    PbxConnected = telvane_.SConnect(s.ServAddr, static_cast<std::uint16_t>(s.ServPort),
                                     kLoginTimeout, s.UserName, timestamp, *auth);
  }
  if (PbxConnected) {
    Log("Connected to device " + s.ServAddr);
    SetServerFieldsEnabled(false);
    UseCallForward = DecideUseCallForward();
    // A list that never comes must not leave the previous login's identity in place.
    OwnDisplayName.clear();
    OwnAuthUser.clear();
    ExtListSubscription.clear();
    if (!UseCallForward) ExtListSubscription = telvane_.SubscribeToExtList();
    HandledIncoming = false;
    setEnabled(true);
    cmdConnect.setCaption(text_deactivate_);
    if (visible()) hide();
    LoadContactsAtConnect();
    ChangeButtons(ButtonMode::DisableClose);
    if (s.Incoming) SubscribeIncoming();
    calls_->DialPendingAddress();
  } else {
    Log("Failed to connect to " + s.ServAddr);
    setEnabled(true);
    if (HasActiveExplorer()) {
      if (guiRequest) {
        Message(text_not_connected_);
      } else if (s.Reconnect) {
        StartReconnectWait();
      }
    }
  }
  setMousePointer(MousePointer::Arrow);
}

void fMain::LoadContactsAtConnect() {
  if (!contacts_) return;
  const AddinSettings& s = settings_;
  if (s.FillContacts) {
    if (!(contacts_->HasRecords() && AllContactsMode)) contacts_->LoadAllContacts();
  } else if (!s.DontShowOnStartup) {
    contacts_->ShowFolderSelection(*this);
  } else if (contacts_->ParseSelFolders() != 0 && !contacts_->HasRecords()) {
    contacts_->LoadSelectedFolders();
  }
}

bool fMain::DecideUseCallForward() {
  std::string uniqueId, version;
  if (!telvane_.GetSystemInfo(uniqueId, version)) return true;
  Log("GetSystemInfo ID: " + uniqueId + " SW: " + version);
  return UseCallForwardFor(version);
}

void fMain::ExtListArrived(const std::string& subscrID, const std::string& extList) {
  OwnAuthUser.clear();
  OwnDisplayName.clear();
  if (subscrID != ExtListSubscription) return;
  telvane_.Unsubscribe(ExtListSubscription);
  OwnIdentity own = FindOwnIdentity(extList, settings_.UserName);
  OwnDisplayName = own.displayName;
  OwnAuthUser = own.authUser;
  if (own.found) Log("DN: " + OwnDisplayName + ". UN: " + OwnAuthUser);
  if (OwnAuthUser.empty()) UseCallForward = true;
}

void fMain::Disconnected() {
  Log("CC Disconnected");
  DisconnectComplete();
  if (settings_.Reconnect) StartReconnectWait();
}

void fMain::DisconnectComplete() {
  PbxConnected = false;
  // A failure prompt cut off by the loss must not be taken for the next call's, nor a pause
  // timer left running be the next call's.
  calls_->ForgetCalls();
  if (incoming_) incoming_->CloseWindows();
  if (contacts_) contacts_->DismissContactPicker();
  ChangeButtons(ButtonMode::DisableAllButtons);
  cmdConnect.setCaption(text_activate_);
  SetServerFieldsEnabled(true);
  Log("DisconnectCompleted");
}

void fMain::SetServerFieldsEnabled(bool on) {
  for (platform::ui::TextBox* box : {&txtServAddr, &txtServPort, &txtUserName, &txtPswd}) {
    box->setEnabled(on);
  }
}

void fMain::ProgramReconnectTimer() {
  reconnect_.Program(settings_.TimeReconnect);
  TimerRec.setInterval(reconnect_.intervalMs);
}

void fMain::StartReconnectWait() {
  // The steps of the last wait have run down: each wait counts TimeReconnect afresh.
  ProgramReconnectTimer();
  StartTimer(kReconnectTimer);
}

void fMain::StartTimer(int kind) {
  if (kind != kReconnectTimer) return;
  Log("StartTimer: Reconnect ");
  TimerRec.setTimerEnabled(true);
}

void fMain::StopTimer(int kind) {
  if (kind != kReconnectTimer) return;
  Log("StopTimer: Reconnect ");
  TimerRec.setTimerEnabled(false);
}

bool fMain::ReconnectTimerRunning(int kind) const {
  return kind == kReconnectTimer && TimerRec.timerEnabled();
}

void fMain::ReconnectTick() {
  StopTimer(kReconnectTimer);
  if (reconnect_.Next()) {
    TimerRec.setInterval(reconnect_.intervalMs);
    StartTimer(kReconnectTimer);
    return;
  }
  Log("Reconnect timeout");
  Connect(false);
}

}  // namespace ringova
