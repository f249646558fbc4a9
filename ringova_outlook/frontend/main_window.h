#pragma once
// fMain: the add-in's hidden window for its whole life. It is the settings window the user opens,
// the host of the one control instance `Telvane` and the owner of the connection to the PBX
// (login, join mode, own identity, incoming-call subscription, reconnect timer).
//
// Everything runs on the UI thread; the control's events arrive there through the message loop.
// The window is loaded the first time it is touched (RestoreSettings) and unloaded only by the
// add-in's shutdown (unload by code); its close box only hides it.
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/registry/registry.h"
#include "platform/shell/shell.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "ringova_outlook/contacts/toolbar_state.h"
#include "ringova_outlook/dialing/dialing_log.h"
#include "ringova_outlook/dialing/location_country.h"
#include "ringova_outlook/frontend/addin_settings.h"
#include "ringova_outlook/frontend/call_legs.h"
#include "ringova_outlook/frontend/connection_rules.h"
#include "ringova_outlook/frontend/frontend_links.h"
#include "ringova_outlook/frontend/settings_store.h"
#include "ringova_outlook/frontend/telvane_client.h"

namespace platform::outlook {
class Application;
}

namespace ringova {

class SupportWindows;
class CallFlow;

inline constexpr std::int32_t kLoginTimeout = 20;  // seconds, for SConnect
inline constexpr int kReconnectTimer = 1;          // the only timer kind StartTimer knows

class fMain final : public platform::ui::Form {
 public:
  struct Context {
    platform::ui::Toolkit& toolkit;
    platform::shell::Shell& shell;  // message boxes, the country list's messages
    platform::Registry& user;       // the settings
    platform::Registry& machine;    // the telephony country list
    LogSink log = AddinLogSink();
    std::function<std::time_t()> now;  // wall clock of the login timestamp; time() when empty
    std::string timeLocale;            // locale of the timestamp's names; "" = environment
  };

  explicit fMain(Context context);
  ~fMain() override;

  // Links to the other parts; null unlinks. Each must outlive the window or be unlinked.
  void SetOutlook(platform::outlook::Application* outlook) { outlook_ = outlook; }
  void SetButtonModes(ToolbarState* modes) { button_modes_ = modes; }
  void SetIncomingCalls(IncomingCalls* calls) { incoming_ = calls; }
  void SetUpdateCheck(UpdateCheckLink* check) { update_check_ = check; }
  void SetContactLoading(ContactLoading* contacts) { contacts_ = contacts; }
  void SetSupportWindows(SupportWindows* support) { support_ = support; }

  // ---- settings
  void RestoreSettings();
  void SaveSettings();
  void SetInterPrefix(std::string_view country, std::int16_t& index);
  AddinSettings& Settings() { return settings_; }
  LocationCountry& Location() { return location_; }
  bool SettingsLoaded = false;
  bool StartupDone = false;
  bool AllContactsMode = false;

  // ---- connection
  void Connect(bool guiRequest);
  void DisconnectComplete();
  bool PbxConnected = false;
  bool HandledIncoming = false;
  bool UseCallForward = true;
  std::string ExtListSubscription;
  std::string OwnDisplayName;
  std::string OwnAuthUser;
  void StartTimer(int kind);
  void StopTimer(int kind);
  bool ReconnectTimerRunning(int kind) const;
  const ReconnectSteps& ReconnectWait() const { return reconnect_; }

  // ---- the control and the call legs (the call flow works on both)
  TelvaneClient& Telvane() { return telvane_; }
  CallLegs& Legs() { return legs_; }
  // The call flow: Make and Close, the control's call events, the incoming call windows.
  CallFlow& Calls() { return *calls_; }

  // Window texts, from the string table.
  const std::string& TextCallCanceled() const { return text_call_canceled_; }

  // The controls.
  platform::ui::Label& lblConnect;
  platform::ui::Label& lblAddress;
  platform::ui::TextBox& txtServAddr;
  platform::ui::Label& lblPort;
  platform::ui::TextBox& txtServPort;
  platform::ui::Label& lblUser;
  platform::ui::TextBox& txtUserName;
  platform::ui::Label& lblPswd;
  platform::ui::TextBox& txtPswd;
  platform::ui::CheckBox& chSecure;
  platform::ui::CheckBox& chArrived;
  platform::ui::Label& lblTimeout;
  platform::ui::TextBox& timeout;
  platform::ui::Label& lblSec1;
  platform::ui::CheckBox& chReconnect;
  platform::ui::Label& lblTry;
  platform::ui::TextBox& reconnectTimeout;
  platform::ui::Label& lblSec2;
  platform::ui::CheckBox& chTapi;
  platform::ui::CheckBox& chUpdate;
  platform::ui::CheckBox& chNotify;  // DesktopNotifications
  platform::ui::Label& Label2;
  platform::ui::ComboBox& cboCountry;
  platform::ui::OptionButton& optLoadAll;
  platform::ui::OptionButton& optLoadSel;
  platform::ui::Label& lblDialing;
  platform::ui::Label& Label1;
  platform::ui::CommandButton& btnDialRules;
  platform::ui::CommandButton& btnLogFile;
  platform::ui::CommandButton& cmdConnect;
  platform::ui::CommandButton& btnApply;
  platform::ui::CommandButton& btnCancel;
  platform::ui::Label& lblMessage;
  platform::ui::TimerControl& TimerRec;

 private:
  friend class CallFlow;  // the window's log, shell, toolkit, button modes and contact picker
  void Layout();
  void WireEvents();
  void OnLoad();
  void OnQueryUnload(bool& cancel, platform::ui::UnloadMode mode);
  void OnUnload();

  // settings (main_settings.cpp)
  bool SettingsChanged() const;
  void UpdateCancelCaption();
  void FieldChanged();
  void LoadOptionClicked();
  void TimeoutLostFocus();
  void ReconnectTimeoutLostFocus();
  void Apply();
  void ApplyReloadContacts();
  void ApplyUpdateCheck();
  void RestoreFields();
  void Cancel();
  void SubscribeIncoming();
  void UnsubscribeIncoming();
  void ShowFields();

  // connection (main_connection.cpp)
  void ConnectClicked();
  void LoadContactsAtConnect();
  bool DecideUseCallForward();
  void ExtListArrived(const std::string& subscrID, const std::string& extList);
  void Disconnected();
  void ProgramReconnectTimer();
  void StartReconnectWait();
  void ReconnectTick();
  void SetServerFieldsEnabled(bool on);
  bool HasActiveExplorer() const;
  void Message(const std::string& text);
  void ChangeButtons(ButtonMode mode);
  void Log(std::string_view line) const;

  Context context_;
  SettingsStore store_;
  LocationCountry location_;
  AddinSettings settings_;
  CallLegs legs_;
  ReconnectSteps reconnect_;
  platform::outlook::Application* outlook_ = nullptr;
  ToolbarState* button_modes_ = nullptr;
  IncomingCalls* incoming_ = nullptr;
  UpdateCheckLink* update_check_ = nullptr;
  ContactLoading* contacts_ = nullptr;
  SupportWindows* support_ = nullptr;

  std::string text_activate_;
  std::string text_deactivate_;
  std::string text_mandatory_;
  std::string text_cancel_;
  std::string text_close_;
  std::string text_call_canceled_;
  std::string text_not_connected_;

  std::unique_ptr<CallFlow> calls_;
  TelvaneClient telvane_;  // last: the control goes before anything its events touch
};

}  // namespace ringova
