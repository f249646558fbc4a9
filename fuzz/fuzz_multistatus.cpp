// A WebDAV multistatus answer from an address-book server: read whole or refused whole, and what
// is read keeps to the shapes the sync relies on.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/outlook/sources/multistatus.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace src = platform::outlook::sources;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const src::MultistatusParse parsed = src::ParseMultistatus(text);
  if (!parsed.ok() && (!parsed.value.responses.empty() || parsed.value.sync_token))
    __builtin_trap();
  for (const src::DavResponse& response : parsed.value.responses) {
    if (response.status != 0 && (response.status < 100 || response.status > 999)) __builtin_trap();
    if (response.properties.address_data && response.properties.address_data->size() > size)
      __builtin_trap();
  }
  return 0;
}
