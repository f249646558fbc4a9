// An incoming message as the session treats it: parsed by the catalogue, dispatched, answered.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/recording_callbacks.h"
#include "telvane/protocol/method_factory.h"
#include "telvane/xmlrpc/xmlrpc_method.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  telvane::ParsedCall parsed = telvane::parsePbxMethodCall(text);
  std::string out;
  if (parsed.kind == telvane::ParsedCall::Kind::kUnknown) {
    telvane::makeUnknownMethodFault()->serialize(out);
    return 0;
  }
  if (parsed.kind != telvane::ParsedCall::Kind::kCall) return 0;

  telvane::fuzz::RecordingCallbacks callbacks;
  parsed.method->dispatch(callbacks);
  // At most one operation per message.
  if (callbacks.calls > 1) __builtin_trap();

  // What was read can be written again, and the automatic answers can be made and written.
  parsed.method->serialize(out);
  for (bool fault : {false, true}) {
    auto reply = parsed.method->createResponse(fault);
    if (!reply) continue;
    reply->setId(parsed.method->idNumber());
    reply->serialize(out);
    reply->dispatch(callbacks);
  }
  return 0;
}
