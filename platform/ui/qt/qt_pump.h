#pragma once
// The toolkit's message loop serving Qt's events: whichever loop the toolkit runs (the main one,
// a modal form's nested one, doEvents), Qt paints and takes input, posts from other threads wake
// Qt's wait, and the loop's next timer bounds it.
#include <QtCore/QPointer>
#include <atomic>
#include <functional>

#include "platform/ui/message_loop.h"

class QAbstractEventDispatcher;

namespace platform::ui::qt {

class QtPump final : public EventPump {
 public:
  // Runs `beforeEvents` (the renderer's flush of model changes) before Qt handles its events
  // and before it sleeps. Installs itself on the loop; the loop's owner thread must be Qt's.
  QtPump(MessageLoop& loop, std::function<void()> beforeEvents);
  ~QtPump() override;
  QtPump(const QtPump&) = delete;
  QtPump& operator=(const QtPump&) = delete;

  void processPending() override;
  void wait(std::optional<std::chrono::steady_clock::time_point> deadline) override;
  void wake() override;

 private:
  MessageLoop& loop_;
  std::function<void()> beforeEvents_;
  QAbstractEventDispatcher* dispatcher_;
  std::atomic<bool> woken_{false};
};

}  // namespace platform::ui::qt
