// The answer to a request of every class: the first byte picks the request's row, the rest is
// the response text.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "fuzz/recording_callbacks.h"
#include "telvane/protocol/method_factory.h"
#include "telvane/xmlrpc/method_table.h"
#include "telvane/xmlrpc/xmlrpc_method.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  telvane::fuzz::FuzzInput input(data, size);
  const int type = input.byte() % telvane::kMethodCount;
  auto request = telvane::createProtocolMethod(type);
  if (!request) __builtin_trap();  // every row has its class

  auto response = request->parseResponse(input.rest());
  if (!response) return 0;
  telvane::fuzz::RecordingCallbacks callbacks;
  response->dispatch(callbacks);
  if (callbacks.calls > 1) __builtin_trap();
  std::string out;
  response->serialize(out);
  return 0;
}
