#pragma once
// The side a PbxSession reports to: the control that created it.

#include "telvane/session/notifications.h"

namespace telvane {

class SessionOwner {
 public:
  virtual ~SessionOwner() = default;

  // Runs `notification` on the owner's side (the host's thread) and returns once it has run.
  // Called on the session's receive thread, with no lock of the session held; the session does
  // nothing else meanwhile. It must return even while the owner's thread is blocked in a call of
  // the session (a synchronous request, Disconnect, the destructor): a synchronous request
  // called from the owner's thread then waits for its limit, and once the owner is being torn
  // down (canReceive() false) a pending deliver should drop the notification and return at once.
  virtual void deliver(const Notification& notification) = 0;

  // Whether the owner can still receive notifications (its window exists). Asked on the receive
  // thread before every notification; when false the notification is dropped.
  virtual bool canReceive() const = 0;
};

}  // namespace telvane
