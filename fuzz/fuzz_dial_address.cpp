// Phone-link addresses as any program on the desktop may hand them over. A number that comes out
// is never empty, has no control character and, read again behind its scheme, stays the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ringova_outlook/dialing/dial_address.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ringova::DialAddress got = ringova::ParseDialAddress(text);
  if (got.problem != ringova::AddressProblem::None) {
    if (!got.number.empty() || ringova::AddressProblemText(got.problem).empty()) std::abort();
    return 0;
  }
  if (got.number.empty()) std::abort();
  for (const char c : got.number) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) std::abort();
  }
  return 0;
}
