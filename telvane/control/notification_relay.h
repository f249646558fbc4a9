#pragma once
// Carries session notifications from the receive thread to the owner thread.
//
// deliver() (receive thread) hands a copy to the owner thread through its dispatcher and waits
// until the owner has raised it, so the session goes on only after the host's handler returned.
// deliverAll() does the same for a batch in one hand-off: one task raises them in order (asking
// the gate before each) and the sender waits once, for the last.
//
// While the owner thread is blocked in a synchronous call of the session (a SyncScope is open),
// deliver() only queues its copy and returns, so the receive thread keeps reading and the answer
// the owner waits for still arrives in time. When the outermost scope closes, the queue is handed
// to the dispatcher, so it is raised in arrival order on the owner thread once the call has
// returned to the host (the next time the host pumps), ahead of anything that arrives later.
// Nothing is raised while a scope is open.
//
// Without a dispatcher, or once closed, notifications are dropped.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>

#include "platform/com/owner_dispatcher.h"
#include "telvane/session/notifications.h"
#include "telvane/session/session_owner.h"

namespace telvane {

class NotificationRelay {
 public:
  // `raise` runs on the owner thread, never after close().
  explicit NotificationRelay(std::function<void(const Notification&)> raise);
  ~NotificationRelay();  // closes
  NotificationRelay(const NotificationRelay&) = delete;
  NotificationRelay& operator=(const NotificationRelay&) = delete;

  // Owner thread. Null takes the dispatcher back: notifications waiting for it are dropped and
  // their senders released. Its post() must queue the task, never run it inline.
  void setDispatcher(platform::OwnerDispatcher* dispatcher);

  // Any thread.
  bool canReceive() const;
  // Receive thread.
  void deliver(const Notification& notification);
  // Moves the batch in. `gate` must stay valid until the relay is closed or its dispatcher taken
  // back.
  void deliverAll(std::span<Notification> batch, const DeliveryGate& gate);
  // deliverAll in two steps: start returns once the batch is handed over; finish waits as
  // deliverAll would have.
  void startDelivery(std::span<Notification> batch, const DeliveryGate& gate);
  void finishDelivery();

  // Owner thread: drops everything waiting and every later notification; releases senders.
  void close();

  // Tasks of all relays that dispatchers still hold (they may outlive their relay). Their code
  // lives in this library, so it must stay loaded while there are any.
  static int tasksInDispatchers();

  // Owner thread, around a synchronous session call. Scopes nest.
  class SyncScope {
   public:
    explicit SyncScope(NotificationRelay& relay);
    ~SyncScope();
    SyncScope(const SyncScope&) = delete;
    SyncScope& operator=(const SyncScope&) = delete;

   private:
    NotificationRelay& relay_;
  };

  // The state the relay shares with tasks waiting in the dispatcher (they may outlive it).
  struct Shared;

 private:
  std::shared_ptr<Shared> shared_;
};

}  // namespace telvane
