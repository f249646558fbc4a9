#include "telvane/control/event_texts.h"

#include <cstdint>

#include "telvane/xmlrpc/party_address.h"

namespace telvane {

std::string nameAddressText(const NameAddress& party) {
  std::string text;
  if (!joinNameAddress(party.displayName, party.user, party.host, party.port, text)) text.clear();
  return text;
}

std::string extensionListText(const std::vector<ExtensionRecord>& entries) {
  std::string text;
  for (const ExtensionRecord& e : entries) {
    text += e.extension;
    text += '~';
    text += e.displayName;
    text += '~';
    text += e.sipAddress;
    text += '~';
    text += std::to_string(e.type);
    text += '~';
    text += std::to_string(static_cast<uint32_t>(e.line));
    text += '~';
  }
  return text;
}

}  // namespace telvane
