#pragma once

#include <string>

#include "telvane/xmlrpc/call_id.h"

namespace telvane {

// The session's callback interface: each incoming message's dispatch calls exactly one
// operation. Message classes depend only on this interface, not on the session. Operations for
// the other PBX methods are added beside onRequestFailed; each has a do-nothing default so a
// receiver overrides only what it handles.
class SessionCallbacks {
 public:
  virtual ~SessionCallbacks() = default;

  // A request identified by `id` (0 when unknown) was answered with a fault, or failed in the
  // session (codes 100 to 103).
  virtual void onRequestFailed(CallId id, int code, const std::string& text) {
    (void)id;
    (void)code;
    (void)text;
  }
};

}  // namespace telvane
