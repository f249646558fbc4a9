#pragma once
// Texts the control builds for its events from notification records.
#include <string>
#include <vector>

#include "telvane/protocol/records.h"

namespace telvane {

// A dialog party as the host sees it: the name-address with its display name, or empty when the
// party has no user.
std::string nameAddressText(const NameAddress& party);

// Ext~Display~SipAddress~Type~Line~ for every entry in order (Type signed, Line unsigned);
// empty for no entries.
std::string extensionListText(const std::vector<ExtensionRecord>& entries);

}  // namespace telvane
