#pragma once
// fIncoming: the window of one arriving call. It shows the caller (the contact's name and stored
// number when the directory knows the caller), rings once, and records the user's decision:
// accept, reject, or forward to a number of another contact picked with the type-ahead search.
// The incoming-call timeout accepts. The window never talks to the PBX itself: closing it hands
// the decision to its host exactly once, and the host carries it out.
//
// Its notification-area icon exists exactly as long as the window is loaded (and is removed at
// the latest when the object goes). The close box is refused.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/shell/shell.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "ringova_outlook/contacts/type_ahead.h"
#include "ringova_outlook/dialing/dialing_log.h"

namespace ringova {

class ContactDirectory;

// The user's decisions, as the host takes them.
enum IncomingAction : int16_t {
  kActionNone = 0,
  kActionAccept = 1,
  kActionReject = 2,
  kActionForward = 3,
};

// What a window needs from the call flow that owns its arriving-call entry.
class IncomingCallHost {
 public:
  virtual ~IncomingCallHost() = default;
  // The call id of the entry at index ("" once the entry is finished).
  virtual std::string CallIdOf(int16_t index) const = 0;
  // Where the call is forwarded to, written before the decision is handed over.
  virtual void SetTarget(int16_t index, std::string target) = 0;
  virtual void ServArrivedCall(int16_t index, int16_t action) = 0;
  virtual void PlayMessage(const std::string& callId, const std::string& fileName,
                           int16_t playCount) = 0;
  // The incoming-call timeout setting, seconds.
  virtual int TimeIncoming() const = 0;
};

// Cascade position of the window of a call index, in twips: windows step 250 right and 200 down
// and wrap every 35 calls, each column starting a little further right.
struct WindowPosition {
  int left = 0;
  int top = 0;
};
WindowPosition CascadePosition(int16_t index);

inline constexpr std::string_view kFadingHope = "fadinghope.wav";
inline constexpr int kReplayPauseMs = 3000;

class IncomingWindow final : public platform::ui::Form {
 public:
  struct Context {
    platform::ui::Toolkit& toolkit;
    platform::shell::Shell& shell;  // tray icon, beep, foreground
    IncomingCallHost& host;
    ContactDirectory* directory;  // null: no caller lookup, nothing to forward to
    LogSink log;
    std::function<void(platform::ui::Form&)> applyFont;          // may be empty
    std::function<std::string(std::string_view)> prepareNumber;  // empty: the add-in's rules
  };

  explicit IncomingWindow(Context context);
  ~IncomingWindow() override;

  // Loads the window for the call at index, places it, starts the timeout, rings, shows the
  // caller (looked up in the directory) and shows the window with the focus on Accept.
  void LoadData(int16_t index, std::string_view caller);
  void LoadContactPhones() { search_.LoadContactPhones(); }
  // The call flow's report that "fadinghope.wav" finished: play it again after the pause.
  void StartReplay();

  int16_t CallIndex() const { return index_; }
  int16_t Decision() const { return decision_; }
  platform::shell::TrayIconId TrayIcon() const { return tray_; }
  TypeAheadSearch& Search() { return search_; }

  platform::ui::Frame& frmFrom;
  platform::ui::Label& lblCaller;
  platform::ui::TextBox& txtCaller;
  platform::ui::Label& lblContact;
  platform::ui::TextBox& txtContactFrom;
  platform::ui::Frame& frmForward;
  platform::ui::Label& lblName;
  platform::ui::ComboBox& cboFwd;
  platform::ui::ListBox& lstContacts;
  platform::ui::Label& lblPhone;
  platform::ui::ComboBox& cboPhones;
  platform::ui::CommandButton& cmdForward;
  platform::ui::CommandButton& cmdAccept;
  platform::ui::CommandButton& cmdReject;
  platform::ui::TimerControl& TimerInc;
  platform::ui::TimerControl& TimerPlay;

 private:
  void OnLoad();
  void OnUnload();
  void OnTrayMouse(int message);
  void Decide(int16_t action);
  void ForwardClicked();
  void PlayTick();
  std::string CallId() const;
  void Log(const std::string& line) const;
  void RemoveTrayIcon();
  void CopyContactNames();

  Context context_;
  TypeAheadSearch search_;
  int16_t index_ = 0;
  int16_t decision_ = kActionNone;
  bool handed_over_ = false;
  bool names_copied_ = false;
  platform::shell::TrayIconId tray_ = 0;
};

}  // namespace ringova
