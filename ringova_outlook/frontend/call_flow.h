#pragma once
// The add-in's telephone logic on top of the control, owned by the settings window fMain: the
// outgoing call (the PBX rings the user's own phone first, then transfers the call to the
// destination, or calls the destination as a second leg and joins both), and the arriving calls
// (each taken under remote control, announced in its own incoming call window and carried out as
// the user or the timeout decides).
//
// Everything runs on the UI thread; fMain forwards the control's call events here.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/timer.h"
#include "ringova_outlook/frontend/frontend_links.h"
#include "ringova_outlook/incoming/incoming_window.h"

namespace ringova {

class fMain;
class ContactDirectory;

inline constexpr std::string_view kAutoCallWait = "autocallwait.wav";
inline constexpr std::string_view kUserNotFound = "usernotfound.wav";
inline constexpr int kPlayPauseMs = 3000;

// The number the user chose for the selected Outlook item; the Outlook integration provides it.
class SelectedNumber {
 public:
  virtual ~SelectedNumber() = default;
  // "" when nothing was chosen.
  virtual std::string GetSelectedItems() = 0;
};

// One announced arriving call; CallID "" once finished.
struct IncomingCallRecord {
  std::string CallID;
  std::string Target;
  bool Answered = false;
};

class CallFlow final : public IncomingCalls, public IncomingCallHost {
 public:
  explicit CallFlow(fMain& main);
  ~CallFlow() override;
  CallFlow(const CallFlow&) = delete;
  CallFlow& operator=(const CallFlow&) = delete;

  // Links; null unlinks. Each must outlive the flow or be unlinked.
  void SetSelectedNumber(SelectedNumber* source) { selected_ = source; }
  void SetDirectory(ContactDirectory* directory) { directory_ = directory; }

  // Connects the control's call events (after the control was created).
  void AdviseEvents();

  // ---- outgoing
  void MakeCall();
  // A phone link clicked on the desktop: its number is dialled exactly as a picked one and
  // logged as a Make. An address without a number, missing settings or no connection dial
  // nothing and say why; while the reconnect timer runs the address waits for the connection.
  void DialAddress(const std::string& address);
  // After connecting: the address that waited, if any.
  void DialPendingAddress();
  void CloseCurrentCall();
  void CreateCalls();
  void CloseCalls();
  // The session is gone: both legs forgotten without a request, the waiting prompt's pause
  // timer stopped.
  void ForgetCalls();
  std::string Destination;
  bool PlayTimerRunning() const { return play_timer_.enabled(); }

  // ---- control events
  void CallStateChanged(const std::string& callID, int16_t state);
  void MessagePlayed(const std::string& callID);
  void ErrorOccured(const std::string& callID, int16_t errorCode);
  void RequestFailed(const std::string& callID, int32_t failureCode,
                     const std::string& failureString);
  void CallArrived(const std::string& callID, const std::string& caller, const std::string& callee,
                   const std::string& origCallID);

  // ---- arriving calls
  // The desktop notification of the entry at index (0: none).
  platform::shell::NotificationId NotificationOf(int16_t index) const;
  int16_t Count() const { return static_cast<int16_t>(records_.size()); }
  const std::vector<IncomingCallRecord>& Records() const { return records_; }
  // The window of the entry at index, null when there is none.
  IncomingWindow* Window(int16_t index) const;
  bool IncomingCallInServ();

  // IncomingCalls
  bool HasRecords() const override { return !records_.empty(); }
  void DropAll() override;
  void CloseWindows() override;

  // IncomingCallHost
  std::string CallIdOf(int16_t index) const override;
  void SetTarget(int16_t index, std::string target) override;
  void ServArrivedCall(int16_t index, int16_t action) override;
  void PlayMessage(const std::string& callId, const std::string& fileName,
                   int16_t playCount) override;
  int TimeIncoming() const override;

 private:
  bool AskToCloseRunningCall();
  void DialNumber(const std::string& number);
  void Notify(int16_t index, const std::string& callID);
  void NotificationAction(int16_t index, const std::string& callID, const std::string& key);
  void CloseNotification(int16_t index);
  void OnConfirmed(const std::string& callID);
  void OnClosed(const std::string& callID);
  void PlayTick();
  void SetLegState(const std::string& callID, int16_t state);
  void FirstLegFailed();
  void SecondLegFailed();
  void DestinationFailed();
  void JoinFailed();
  enum class FailedStep { None, FirstLeg, SecondLeg, Join };
  // The step of the outgoing call that a RequestFailed with this call ID stands for.
  FailedStep StepOf(const std::string& callID) const;
  int16_t GetArrivedPage(const std::string& callID) const;
  void UnloadVisibleWindow(int16_t index);
  void StopArrived(int16_t index);
  void AcceptToOwnExtension(const IncomingCallRecord& record);
  void DeleteClosedCall(const std::string& callID);
  void ForgetWindows();
  void HideWindowsForArrival();
  void Message(const std::string& text);
  void ChangeButtons(ButtonMode mode);
  void Log(const std::string& line) const;

  // The control's methods used here.
  std::string CreateCall(const std::string& from, const std::string& to,
                         const std::string& displayName);
  std::string CreateCallCID(const std::string& from, const std::string& to,
                            const std::string& displayName, const std::string& username);
  bool CloseCall(const std::string& callID);
  bool TransferCall(const std::string& callID, const std::string& to);
  bool JoinCalls(const std::string& callID, const std::string& other);
  bool AcceptCall(const std::string& callID, bool remoteControl);
  bool RejectCall(const std::string& callID);
  bool ForwardCall(const std::string& callID, const std::string& target);

  fMain& main_;
  SelectedNumber* selected_ = nullptr;
  ContactDirectory* directory_ = nullptr;
  platform::ui::Timer play_timer_;
  std::vector<IncomingCallRecord> records_;
  std::vector<platform::shell::NotificationId> notifications_;  // same index as records_
  std::string pending_address_;
  std::vector<std::unique_ptr<IncomingWindow>> windows_;  // same index as records_
  // Windows given up while one of them may still be running its own close; destroyed from the
  // message loop, never inside a window's handler.
  std::vector<std::unique_ptr<IncomingWindow>> retired_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace ringova
