#pragma once
// Desktop notifications: the short pop-ups of the desktop's notification server, with buttons
// (actions). The add-in raises them through this interface; the host lends the real one (over
// the session bus), tests the recording one. Actions are reported on the UI thread.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform::shell {

using NotificationId = std::uint32_t;  // 0 = none

struct NotificationAction {
  std::string key;    // reported back when chosen
  std::string label;  // the button's text
};

struct NotificationRequest {
  std::string summary;
  std::string body;
  std::vector<NotificationAction> actions;
  std::function<void(const std::string& key)> onAction;  // at most once per notification
};

class Notifications {
 public:
  virtual ~Notifications() = default;
  // 0 when it could not be shown (no notification server).
  virtual NotificationId show(NotificationRequest request) = 0;
  // Takes it off the screen; its actions are not reported any more.
  virtual void close(NotificationId id) = 0;
};

// Keeps what was shown; a test chooses an action as the user's click would.
class RecordingNotifications final : public Notifications {
 public:
  struct Shown {
    NotificationId id = 0;
    NotificationRequest request;
    bool open = true;
  };

  NotificationId show(NotificationRequest request) override;
  void close(NotificationId id) override;
  // False when there is no such open notification or it has no action with that key.
  bool invoke(NotificationId id, const std::string& key);
  const std::vector<Shown>& shown() const { return shown_; }
  std::size_t openCount() const;
  // Drops the records of closed ones; open ones stay answerable.
  void forgetClosed();

 private:
  Shown* find(NotificationId id);
  std::vector<Shown> shown_;
  NotificationId next_ = 1;
};

}  // namespace platform::shell
