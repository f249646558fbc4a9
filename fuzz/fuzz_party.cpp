// Party texts in both forms, parsed and built again. No round trip is asserted: fields are not
// escaped, so a user part holding '"', "@" or ":" reads back split differently by design.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "telvane/xmlrpc/party_address.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  telvane::PartyAddress party;
  std::string built;
  if (telvane::parseParty(text, party) && telvane::buildParty(party, built)) {
    telvane::PartyAddress again;
    telvane::parseParty(built, again);
  }

  std::string displayName, user, host, port, joined;
  if (telvane::splitNameAddress(text, displayName, user, host, port)) {
    telvane::joinNameAddress(displayName, user, host, port, joined);
  }
  return 0;
}
