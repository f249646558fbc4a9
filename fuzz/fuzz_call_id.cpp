// parseId on arbitrary text; formatId and parseId of any number are inverse.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "telvane/xmlrpc/call_id.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const telvane::CallId parsed = telvane::parseId(text);
  if (telvane::parseId(telvane::formatId(parsed)) != parsed) __builtin_trap();

  telvane::CallId n = 0;
  std::memcpy(&n, data, size < sizeof n ? size : sizeof n);
  if (telvane::parseId(telvane::formatId(n)) != n) __builtin_trap();
  return 0;
}
