#include "platform/shell/notifications.h"

#include <algorithm>

namespace platform::shell {

NotificationId RecordingNotifications::show(NotificationRequest request) {
  shown_.push_back(Shown{next_, std::move(request), true});
  return next_++;
}

void RecordingNotifications::close(NotificationId id) {
  if (Shown* s = find(id)) s->open = false;
}

bool RecordingNotifications::invoke(NotificationId id, const std::string& key) {
  Shown* s = find(id);
  if (!s || !s->open) return false;
  const auto& actions = s->request.actions;
  if (std::none_of(actions.begin(), actions.end(), [&](const auto& a) { return a.key == key; })) {
    return false;
  }
  // The server takes a notification down once an action was chosen.
  s->open = false;
  auto onAction = s->request.onAction;
  if (onAction) onAction(key);
  return true;
}

std::size_t RecordingNotifications::openCount() const {
  return static_cast<std::size_t>(
      std::count_if(shown_.begin(), shown_.end(), [](const Shown& s) { return s.open; }));
}

void RecordingNotifications::forgetClosed() {
  std::erase_if(shown_, [](const Shown& s) { return !s.open; });
}

RecordingNotifications::Shown* RecordingNotifications::find(NotificationId id) {
  for (Shown& s : shown_) {
    if (s.id == id) return &s;
  }
  return nullptr;
}

}  // namespace platform::shell
