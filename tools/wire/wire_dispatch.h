#pragma once
// The catalogue view of the wire inspector: strict decoding with the real message classes, and
// what a message's dispatch hands to SessionCallbacks.

#include <string>
#include <string_view>

#include "telvane/xmlrpc/xmlrpc_method.h"
#include "tools/wire/wire_json.h"

namespace telvane::tools {

// decodeMessage, but method calls go through the catalogue: {"kind":"unknown"} for a call whose
// name or params do not match, and "class":"<ClassName>" added to a known call.
Json decodeStrict(std::string_view text);

// Outcome of a dispatch command: `ok` false with `error` set when the text is not a message of
// the asked kind; otherwise `result` is {"callback":"onX","args":{...}} or {"callback":null}.
struct DispatchResult {
  bool ok = false;
  Json result;
  std::string error;
};

// A PBX method call (terminator optional) parsed by its class and dispatched.
DispatchResult dispatchCall(std::string_view text);

// A response text read as the answer to `method` (the full table name, or the part after its
// last ".", ignoring case) and dispatched.
DispatchResult dispatchResponse(std::string_view method, std::string_view text);

// The unqualified class name of a message object, e.g. "CreateCallMethod".
std::string className(const XmlRpcMethod& method);

}  // namespace telvane::tools
