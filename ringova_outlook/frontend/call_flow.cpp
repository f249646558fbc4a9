#include "ringova_outlook/frontend/call_flow.h"

#include <chrono>
#include <utility>

#include "platform/outlook/text_util.h"
#include "ringova_outlook/contacts/contact_directory.h"
#include "ringova_outlook/dialing/addin_dialing.h"
#include "ringova_outlook/dialing/dial_address.h"
#include "ringova_outlook/frontend/main_window.h"
#include "ringova_outlook/resources/string_table.h"
#include "ringova_outlook/support/apply_ui_font.h"
#include "ringova_outlook/support/support_windows.h"

namespace ringova {

using platform::outlook::TrimBlanks;

namespace {

constexpr int kCallCanceledText = 138;
constexpr int kActiveCallText = 175;
constexpr int kMakeCallText = 118;
constexpr int kCloseText = 117;
constexpr int kCancelText = 146;
constexpr int kCallArrivedText = 122;
constexpr int kAcceptText = 129;
constexpr int kRejectText = 130;
constexpr std::string_view kAcceptKey = "accept";
constexpr std::string_view kRejectKey = "reject";
constexpr std::string_view kCallCanceledLog = "The call is canceled ";
constexpr std::string_view kAboutForm = "fAbout";

// The windows an arriving call takes the place of (the contact picker is dismissed apart).
constexpr std::string_view kFormsHiddenOnArrival[] = {kAboutForm, "fDialing", "fLogFile"};

std::string Res(int id) {
  return std::string(LoadResString(id));
}

// Error codes of a failing call: the text for the log, and whether the code is logged at once.
struct ErrorEntry {
  int16_t code;
  std::string_view text;
  bool loggedAtOnce;  // codes without a user text log their name at once
};
constexpr ErrorEntry kErrors[] = {
    {0, "Line Busy", false},
    {1, "User not found", false},
    {2, "Temporary unavailable", false},
    {3, "Media not supported", true},
    {4, "Inappropriate command", true},
    {5, "Generic error", true},
};

constexpr std::string_view kActionNames[] = {"None", "Accept", "Reject", "Forward"};

bool Is(const CallLeg& leg, const std::string& callID) {
  return leg.CallID != "0" && leg.CallID == callID;
}

// A request that expects an answer gets it, or its time-out, within the session's time-out of
// the login; the session waits that long plus 5 s for a synchronous one.
constexpr auto kAnswerWithin = std::chrono::seconds(kLoginTimeout + 5);

}  // namespace

CallFlow::CallFlow(fMain& main) : main_(main), play_timer_(main.context_.toolkit.loop()) {
  play_timer_.setInterval(kPlayPauseMs);
  play_timer_.onTimer = [this] { PlayTick(); };
}

CallFlow::~CallFlow() {
  *alive_ = false;
  retired_.clear();
  windows_.clear();
}

void CallFlow::AdviseEvents() {
  using telvane::interface::EventId;
  TelvaneClient& t = main_.Telvane();
  t.On<EventId::CallStateChanged>(
      [this](const std::string& id, int16_t state) { CallStateChanged(id, state); });
  t.On<EventId::MessagePlayed>([this](const std::string& id) { MessagePlayed(id); });
  t.On<EventId::ErrorOccured>(
      [this](const std::string& id, int16_t code) { ErrorOccured(id, code); });
  t.On<EventId::RequestFailed>([this](const std::string& id, int32_t code,
                                      const std::string& text) { RequestFailed(id, code, text); });
  t.On<EventId::CallArrived>(
      [this](const std::string& id, const std::string& caller, const std::string& callee,
             const std::string& orig) { CallArrived(id, caller, callee, orig); });
}

// ---- outgoing

void CallFlow::MakeCall() {
  Log("Press 'Make' button");
  if (AskToCloseRunningCall()) return;
  if (main_.visible()) main_.hide();
  DialNumber(std::string(TrimBlanks(selected_ ? selected_->GetSelectedItems() : std::string())));
}

// True when a call runs: the user is asked whether to close it, and nothing is dialled.
bool CallFlow::AskToCloseRunningCall() {
  if (main_.Legs().Leg1.State == kLegIdle) return false;
  if (ShowNote(Res(kActiveCallText), Res(kMakeCallText), Res(kCloseText), Res(kCancelText))) {
    CloseCalls();
  }
  return true;
}

void CallFlow::DialNumber(const std::string& number) {
  if (number.empty()) return;
  Destination = PrepareDialNumber(number);
  if (Destination.empty()) return;
  ChangeButtons(ButtonMode::DisableMake);
  Log("MakeCall: to  '" + number + "' =>> " + Destination);
  CreateCalls();
}

void CallFlow::DialAddress(const std::string& address) {
  Log("DialAddress: '" + address + "'");
  const ringova::DialAddress parsed = ParseDialAddress(address);
  if (parsed.problem != AddressProblem::None) {
    const std::string why(AddressProblemText(parsed.problem));
    Log("DialAddress: " + why);
    Message(why);
    return;
  }
  if (!main_.PbxConnected) {
    const AddinSettings& s = main_.Settings();
    if (s.ServAddr.empty() || s.UserName.empty()) {
      Log("DialAddress: not configured");
      Message(main_.text_mandatory_);
      return;
    }
    if (!main_.ReconnectTimerRunning(kReconnectTimer)) main_.Connect(false);
    if (!main_.PbxConnected) {
      Log("DialAddress: not connected");
      // The reconnect timer brings the connection back; the address is dialled then.
      if (main_.ReconnectTimerRunning(kReconnectTimer)) pending_address_ = address;
      Message(main_.text_not_connected_);
      return;
    }
  }
  if (AskToCloseRunningCall()) return;
  if (main_.visible()) main_.hide();
  DialNumber(parsed.number);
}

void CallFlow::DialPendingAddress() {
  if (pending_address_.empty() || !main_.PbxConnected) return;
  const std::string address = std::move(pending_address_);
  pending_address_.clear();
  DialAddress(address);
}

void CallFlow::CloseCurrentCall() {
  Log("Press 'Close' button");
  if (main_.Legs().Leg1.State != kLegIdle) CloseCalls();
}

void CallFlow::CreateCalls() {
  CallLegs& legs = main_.Legs();
  legs.Leg1.CallID = "0";
  legs.Leg2.CallID = "0";
  legs.Leg1.StateSeen = false;
  legs.Leg2.StateSeen = false;
  std::string user = Destination;
  if (size_t colon = user.find(':'); colon != std::string::npos) user = user.substr(colon + 1);
  if (size_t at = user.find('@'); at != std::string::npos) user.resize(at);
  Log("Destination username: " + user);

  const std::string own = "pbx:" + main_.Settings().UserName;
  legs.Leg1.CallID = main_.UseCallForward ? CreateCall("system", own, "Ringova")
                                          : CreateCallCID("system", own, "Ringova", user);
  const bool failed = legs.Leg1.CallID == "0";
  Log("CreateCall: " + (failed ? std::string(kCallCanceledLog) : legs.Leg1.CallID));
  if (failed) FirstLegFailed();
}

void CallFlow::FirstLegFailed() {
  play_timer_.setEnabled(false);
  main_.Legs().ResetCallState();
  Message(Res(kCallCanceledText));
  ChangeButtons(ButtonMode::DisableClose);
}

void CallFlow::CloseCalls() {
  ChangeButtons(ButtonMode::DisableClose);
  CallLegs& legs = main_.Legs();
  if (legs.Leg1.CallID == "0") return;
  CloseCall(legs.Leg1.CallID);
  if (legs.Leg2.CallID != "0") CloseCall(legs.Leg2.CallID);
  play_timer_.setEnabled(false);
  legs.ResetCallState();
}

void CallFlow::ForgetCalls() {
  play_timer_.setEnabled(false);
  main_.Legs().ResetCallState();
}

void CallFlow::SetLegState(const std::string& callID, int16_t state) {
  CallLegs& legs = main_.Legs();
  if (Is(legs.Leg1, callID)) {
    legs.Leg1.State = state;
  } else if (Is(legs.Leg2, callID)) {
    legs.Leg2.State = state;
  }
}

void CallFlow::CallStateChanged(const std::string& callID, int16_t state) {
  CallLegs& legs = main_.Legs();
  if (Is(legs.Leg1, callID) || Is(legs.Leg2, callID)) {
    (Is(legs.Leg1, callID) ? legs.Leg1 : legs.Leg2).StateSeen = true;
    // Whatever the PBX reports now comes after the join's answer or stands for it.
    legs.JoinSentAt.reset();
  }
  switch (state) {
    case 0:
      SetLegState(callID, 0);
      if (Is(main_.Legs().Leg1, callID)) ChangeButtons(ButtonMode::DisableMake);
      break;
    case 1:
    case 4:
      SetLegState(callID, state);
      break;
    case 2:
      OnConfirmed(callID);
      break;
    case 3:
      OnClosed(callID);
      break;
    default:
      break;  // 5: nothing; 6 and above came as ErrorOccured first
  }
}

void CallFlow::SecondLegFailed() {
  CallLegs& legs = main_.Legs();
  if (legs.CallFailed) return;  // already on its way to the failure prompt
  if (!legs.PromptPlaying) {
    play_timer_.setEnabled(false);
    PlayMessage(legs.Leg1.CallID, std::string(kUserNotFound), 1);
    legs.FailurePromptStarted = true;
  }
  legs.CallFailed = true;
}

void CallFlow::OnConfirmed(const std::string& callID) {
  Log("OnConfirmed: " + callID);
  CallLegs& legs = main_.Legs();
  if (Is(legs.Leg1, callID)) {
    if (legs.Leg1.State == 2) return;
    legs.Leg1.State = 2;
    // Without the own identity (no extension list yet, a refused one, or no record of the user)
    // the destination would see a nameless caller: this call is handed over instead.
    if (!main_.UseCallForward && !main_.OwnAuthUser.empty()) {
      legs.Leg2.StateSeen = false;
      legs.Leg2.CallID =
          CreateCallCID("system", "tel:" + Destination, main_.OwnDisplayName, main_.OwnAuthUser);
      if (legs.Leg2.CallID != "0") {
        PlayMessage(legs.Leg1.CallID, std::string(kAutoCallWait), 1);
        legs.PromptPlaying = true;
        return;
      }
      SecondLegFailed();
      Message(Res(kCallCanceledText));
      return;
    }
    if (TransferCall(legs.Leg1.CallID, Destination)) {
      Log("TransferCall - " + callID + " to " + Destination);
      ChangeButtons(ButtonMode::DisableAllButtons);
      return;
    }
    ChangeButtons(ButtonMode::DisableClose);
    Log("TransferCall - " + callID + " to " + Destination + "is not success");
    CloseCall(legs.Leg1.CallID);
    legs.ResetCallState();
    Message(Res(kCallCanceledText));
    return;
  }
  if (Is(legs.Leg2, callID)) {
    if (legs.PromptPlaying) {
      PlayMessage(legs.Leg1.CallID, "", 0);
      legs.PromptPlaying = false;
    }
    play_timer_.setEnabled(false);
    legs.Leg2.State = 2;
    if (JoinCalls(legs.Leg1.CallID, legs.Leg2.CallID)) {
      legs.JoinSentAt = main_.context_.toolkit.loop().clock().now();
      return;
    }
    JoinFailed();
    return;
  }
  const int16_t index = GetArrivedPage(callID);
  if (index < 0 || records_[index].Answered) return;
  records_[index].Answered = true;
  PlayMessage(callID, std::string(kFadingHope), 1);
}

void CallFlow::OnClosed(const std::string& callID) {
  Log("OnClosed - " + callID);
  CallLegs& legs = main_.Legs();
  if (Is(legs.Leg1, callID)) {
    if (legs.Leg1.State != 4 && legs.Leg2.State != kLegIdle) CloseCall(legs.Leg2.CallID);
    // Also in the pause between two prompts: a late tick must not play into the next call.
    play_timer_.setEnabled(false);
    legs.ResetCallState();
    ChangeButtons(ButtonMode::DisableClose);
    return;
  }
  if (Is(legs.Leg2, callID)) {
    if (legs.Leg1.State == 4) legs.ResetCallState();
    ChangeButtons(ButtonMode::DisableClose);
    return;
  }
  UnloadVisibleWindow(GetArrivedPage(callID));
  DeleteClosedCall(callID);
}

void CallFlow::MessagePlayed(const std::string& callID) {
  CallLegs& legs = main_.Legs();
  if (!Is(legs.Leg1, callID)) {
    const int16_t index = GetArrivedPage(callID);
    if (index >= 0) windows_[index]->StartReplay();
    return;
  }
  if (!legs.CallFailed) {
    legs.PromptPlaying = false;
    // A prompt that ended just as the destination answered must not start the loop again.
    if (legs.Leg1.State == 2 && legs.Leg2.State != 2) play_timer_.setEnabled(true);
  } else if (legs.FailurePromptStarted) {
    CloseCall(legs.Leg1.CallID);
    legs.ResetCallState();
    ChangeButtons(ButtonMode::DisableClose);
  } else {
    legs.FailurePromptStarted = true;
    PlayMessage(legs.Leg1.CallID, std::string(kUserNotFound), 1);
  }
}

void CallFlow::PlayTick() {
  play_timer_.setEnabled(false);
  CallLegs& legs = main_.Legs();
  if (legs.Leg1.State != 2 || legs.Leg2.State == 2 || legs.CallFailed) return;
  PlayMessage(legs.Leg1.CallID, std::string(kAutoCallWait), 1);
  legs.PromptPlaying = true;
}

void CallFlow::ErrorOccured(const std::string& callID, int16_t errorCode) {
  std::string text;
  for (const ErrorEntry& e : kErrors) {
    if (e.code != errorCode) continue;
    if (e.loggedAtOnce) {
      Log("ErrorOccured => " + std::string(e.text));
    } else {
      text = e.text;
    }
  }
  CallLegs& legs = main_.Legs();
  if (Is(legs.Leg1, callID)) {
    if (legs.Leg2.State != kLegIdle) CloseCall(legs.Leg2.CallID);
    play_timer_.setEnabled(false);
    legs.ResetCallState();
    ChangeButtons(ButtonMode::DisableClose);
    return;
  }
  if (Is(legs.Leg2, callID)) {
    const bool waiting = legs.Leg1.State == 2;
    DestinationFailed();
    if (waiting) Log("ErrorOccured => " + text);
    return;
  }
  UnloadVisibleWindow(GetArrivedPage(callID));
  DeleteClosedCall(callID);
}

// The second leg cannot reach the destination: a user waiting on the own leg hears the failure
// prompt, after which that leg closes; otherwise it closes at once.
void CallFlow::DestinationFailed() {
  CallLegs& legs = main_.Legs();
  if (legs.Leg1.State == 2) {
    SecondLegFailed();
    return;
  }
  CloseCall(legs.Leg1.CallID);
  legs.ResetCallState();
  ChangeButtons(ButtonMode::DisableClose);
}

void CallFlow::JoinFailed() {
  CallLegs& legs = main_.Legs();
  CloseCall(legs.Leg1.CallID);
  CloseCall(legs.Leg2.CallID);
  play_timer_.setEnabled(false);
  legs.ResetCallState();
  ChangeButtons(ButtonMode::DisableClose);
  Message(Res(kCallCanceledText));
}

// A refused or unanswered request of the outgoing call is followed by no state or error event,
// so its failure is taken for the step that awaits an answer. A fault names no call ("0"); a
// time-out names the request, which for every request on a leg is the leg's ID. The rule:
// - a join sent for both legs, with no state report since and within the answer time, owns a
//   "0" and a time-out on either leg;
// - otherwise a leg whose ID is set and for which the PBX has reported no state yet owns a "0"
//   and its own time-out ("createcall" is the only request on it so far, bar the waiting prompt).
// A leg with states seen is not ended by a failure of a later request on it (a prompt, say).
CallFlow::FailedStep CallFlow::StepOf(const std::string& callID) const {
  const CallLegs& legs = main_.Legs();
  const bool none = callID == "0";
  if (legs.JoinSentAt &&
      main_.context_.toolkit.loop().clock().now() - *legs.JoinSentAt <= kAnswerWithin &&
      (none || Is(legs.Leg1, callID) || Is(legs.Leg2, callID))) {
    return FailedStep::Join;
  }
  for (auto [leg, step] : {std::pair{&legs.Leg1, FailedStep::FirstLeg},
                           std::pair{&legs.Leg2, FailedStep::SecondLeg}}) {
    if (leg->CallID != "0" && !leg->StateSeen && (none || leg->CallID == callID)) return step;
  }
  return FailedStep::None;
}

void CallFlow::RequestFailed(const std::string& callID, int32_t, const std::string& failureString) {
  Log("->RequestFailed: " + failureString + " - " + callID);
  switch (StepOf(callID)) {
    case FailedStep::FirstLeg:
      FirstLegFailed();
      return;
    case FailedStep::SecondLeg:
      DestinationFailed();
      return;
    case FailedStep::Join:
      JoinFailed();
      return;
    case FailedStep::None:
      break;
  }
  if (callID == "0") return;
  UnloadVisibleWindow(GetArrivedPage(callID));
  DeleteClosedCall(callID);
}

// ---- arriving calls

void CallFlow::CallArrived(const std::string& callID, const std::string& caller,
                           const std::string& callee, const std::string& origCallID) {
  if (origCallID != "0") {
    AcceptCall(callID, false);
    return;
  }
  Log("OnCallArrived: CID - " + callID + ", From   " + caller + ", To  " + callee);
  // The index is taken and counted at once: the loop runs below, and a call arriving meanwhile
  // must not get the same one.
  const auto index = static_cast<int16_t>(records_.size());
  records_.push_back({callID, callee, false});
  notifications_.push_back(0);
  windows_.push_back(std::make_unique<IncomingWindow>(
      IncomingWindow::Context{main_.context_.toolkit, main_.context_.shell, *this, directory_,
                              [this](std::string_view line) { Log(std::string(line)); },
                              [](platform::ui::Form& f) { ApplyUIFont(f); }, nullptr}));
  AcceptCall(callID, true);
  Log("RemoteAcceptCall - " + callID);
  main_.context_.toolkit.loop().doEvents();
  HideWindowsForArrival();
  // The caller may have hung up while the loop ran: its entry is finished then, and no window
  // is to ask the user about a call that is gone.
  if (index >= Count() || records_[index].CallID != callID) return;
  windows_[index]->LoadData(index, caller);
  Notify(index, callID);
}

// The same decision as the window's buttons: the button is pressed, so the window closes and
// hands the decision over exactly as when the user clicks it.
void CallFlow::Notify(int16_t index, const std::string& callID) {
  platform::shell::Notifications* desktop = main_.context_.shell.notifications();
  IncomingWindow* window = Window(index);
  if (!desktop || !window || !main_.Settings().DesktopNotifications) return;
  const std::string name = window->txtContactFrom.text();
  const std::string number = window->txtCaller.text();
  platform::shell::NotificationRequest request;
  request.summary = Res(kCallArrivedText) + std::to_string(index + 1);
  request.body = name.empty() ? number : name + " (" + number + ")";
  request.actions = {{std::string(kAcceptKey), std::string(TrimBlanks(Res(kAcceptText)))},
                     {std::string(kRejectKey), std::string(TrimBlanks(Res(kRejectText)))}};
  std::weak_ptr<bool> alive = alive_;
  request.onAction = [this, alive, index, callID](const std::string& key) {
    if (alive.lock()) NotificationAction(index, callID, key);
  };
  notifications_[index] = desktop->show(std::move(request));
  Log("Notification: " + callID + (notifications_[index] ? " shown" : " not shown"));
}

void CallFlow::NotificationAction(int16_t index, const std::string& callID,
                                  const std::string& key) {
  // The entry may be finished, or even taken by a later call, by the time the user clicks.
  if (index >= Count() || records_[index].CallID != callID) return;
  notifications_[index] = 0;
  IncomingWindow* window = Window(index);
  if (!window || !window->visible()) return;
  Log("Notification: " + callID + " - " + key);
  if (key == kAcceptKey) {
    window->cmdAccept.raiseClick();
  } else if (key == kRejectKey) {
    window->cmdReject.raiseClick();
  }
}

void CallFlow::CloseNotification(int16_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= notifications_.size()) return;
  const platform::shell::NotificationId id = notifications_[index];
  notifications_[index] = 0;
  if (id == 0) return;
  if (platform::shell::Notifications* desktop = main_.context_.shell.notifications()) {
    desktop->close(id);
  }
}

platform::shell::NotificationId CallFlow::NotificationOf(int16_t index) const {
  return index >= 0 && static_cast<std::size_t>(index) < notifications_.size()
             ? notifications_[index]
             : 0;
}

void CallFlow::HideWindowsForArrival() {
  for (platform::ui::Form* form : main_.context_.toolkit.forms()) {
    for (std::string_view name : kFormsHiddenOnArrival) {
      if (form->name() == name && form->visible()) form->hide();
    }
  }
  if (main_.visible()) main_.hide();
  if (main_.contacts_) main_.contacts_->DismissContactPicker();
}

IncomingWindow* CallFlow::Window(int16_t index) const {
  return index >= 0 && index < Count() ? windows_[index].get() : nullptr;
}

int16_t CallFlow::GetArrivedPage(const std::string& callID) const {
  if (callID.empty()) return -1;
  for (size_t i = 0; i < records_.size(); ++i) {
    if (records_[i].CallID == callID) return static_cast<int16_t>(i);
  }
  return -1;
}

void CallFlow::UnloadVisibleWindow(int16_t index) {
  IncomingWindow* window = Window(index);
  if (window && window->visible()) window->unload(platform::ui::UnloadMode::Code);
}

std::string CallFlow::CallIdOf(int16_t index) const {
  return index >= 0 && index < Count() ? records_[index].CallID : std::string();
}

void CallFlow::SetTarget(int16_t index, std::string target) {
  if (index >= 0 && index < Count()) records_[index].Target = std::move(target);
}

int CallFlow::TimeIncoming() const {
  return main_.Settings().TimeIncoming;
}

void CallFlow::ServArrivedCall(int16_t index, int16_t action) {
  // A finished entry (the call ended while its window was up) has nothing left to decide.
  if (index < 0 || index >= Count() || records_[index].CallID.empty()) return;
  const IncomingCallRecord record = records_[index];
  if (action != kActionNone) PlayMessage(record.CallID, "", 0);
  switch (action) {
    case kActionAccept:
      AcceptToOwnExtension(record);
      break;
    case kActionReject:
      if (record.Answered) {
        CloseCall(record.CallID);
      } else {
        RejectCall(record.CallID);
      }
      break;
    case kActionForward:
      if (!record.Answered) {
        ForwardCall(record.CallID, record.Target);
      } else if (record.Target == main_.txtUserName.text()) {
        AcceptToOwnExtension(record);
      } else {
        TransferCall(record.CallID, record.Target);
      }
      break;
    default:
      break;
  }
  const std::string_view name =
      action >= 0 && action <= kActionForward ? kActionNames[action] : kActionNames[0];
  Log("ServArrivedCall:  " + record.CallID + " - " + std::string(name) + " finished.");
  StopArrived(index);
}

void CallFlow::StopArrived(int16_t index) {
  IncomingCallRecord& record = records_[index];
  Log("StopArrived: " + record.CallID);
  record = IncomingCallRecord{};
  CloseNotification(index);
  IncomingCallInServ();
}

void CallFlow::AcceptToOwnExtension(const IncomingCallRecord& record) {
  if (record.Answered) {
    Log("TransferCall - " + record.CallID);
    TransferCall(record.CallID, "pbx:" + main_.Settings().UserName);
  } else {
    AcceptCall(record.CallID, false);
  }
}

void CallFlow::DeleteClosedCall(const std::string& callID) {
  const int16_t index = GetArrivedPage(callID);
  if (index < 0) return;
  records_[index].CallID.clear();
  CloseNotification(index);
  IncomingCallInServ();
}

bool CallFlow::IncomingCallInServ() {
  if (records_.empty()) return false;
  for (const IncomingCallRecord& record : records_) {
    if (record.CallID.empty()) continue;
    Log("IncomingCallInServ: Wait - " + record.CallID);
    return true;
  }
  ForgetWindows();
  records_.clear();
  Log("IncomingCallInServ: Reset");
  return false;
}

void CallFlow::DropAll() {
  ForgetWindows();
  records_.clear();
}

void CallFlow::CloseWindows() {
  // Each close hands its decision over, which may empty the tables: walk a copy.
  std::vector<IncomingWindow*> open;
  for (const auto& window : windows_) open.push_back(window.get());
  for (IncomingWindow* window : open) {
    if (window->visible()) window->unload(platform::ui::UnloadMode::Code);
  }
}

void CallFlow::ForgetWindows() {
  for (std::size_t i = 0; i < notifications_.size(); ++i) {
    CloseNotification(static_cast<int16_t>(i));
  }
  notifications_.clear();
  for (auto& window : windows_) retired_.push_back(std::move(window));
  windows_.clear();
  if (retired_.empty()) return;
  main_.context_.toolkit.loop().post([this, alive = std::weak_ptr<bool>(alive_)] {
    if (alive.lock()) retired_.clear();
  });
}

// ---- shared

void CallFlow::Message(const std::string& text) {
  if (main_.visible()) main_.hide();
  if (platform::ui::Form* about = main_.context_.toolkit.findForm(kAboutForm)) {
    if (about->visible()) about->hide();
  }
  main_.context_.shell.messageBox(text, "Ringova");
}

void CallFlow::ChangeButtons(ButtonMode mode) {
  main_.ChangeButtons(mode);
}

void CallFlow::Log(const std::string& line) const {
  main_.Log(line);
}

// ---- the control

std::string CallFlow::CreateCall(const std::string& from, const std::string& to,
                                 const std::string& displayName) {
  return main_.Telvane().CreateCall(from, to, displayName);
}

std::string CallFlow::CreateCallCID(const std::string& from, const std::string& to,
                                    const std::string& displayName, const std::string& username) {
  return main_.Telvane().CreateCallCID(from, to, displayName, username);
}

bool CallFlow::CloseCall(const std::string& callID) {
  return main_.Telvane().CloseCall(callID);
}

bool CallFlow::TransferCall(const std::string& callID, const std::string& to) {
  return main_.Telvane().TransferCall(callID, to);
}

bool CallFlow::JoinCalls(const std::string& callID, const std::string& other) {
  return main_.Telvane().JoinCalls(callID, other);
}

bool CallFlow::AcceptCall(const std::string& callID, bool remoteControl) {
  return main_.Telvane().AcceptCall(callID, "", "", remoteControl);
}

bool CallFlow::RejectCall(const std::string& callID) {
  return main_.Telvane().RejectCall(callID);
}

bool CallFlow::ForwardCall(const std::string& callID, const std::string& target) {
  return main_.Telvane().ForwardCall(callID, target, "", "");
}

void CallFlow::PlayMessage(const std::string& callId, const std::string& fileName,
                           int16_t playCount) {
  main_.Telvane().PlayMessage(callId, fileName, playCount);
}

}  // namespace ringova
