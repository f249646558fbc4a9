// One sync of an LDAP directory: every entry under the base DN that matches the filter, read in
// pages, becomes one card of a single address book named after the source. A card is keyed by
// the entry's entryUUID (its DN where the server keeps none) and its etag is a digest of what the
// entry maps to, so comparing with the previous snapshot leaves only the entries that were added,
// changed or removed. Entries become vCard text, so the store reads them as it reads any card.
//
// Runs on any thread, blocking. A sync that fails at any point keeps the previous snapshot whole.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/outlook/sources/carddav_sync.h"
#include "platform/outlook/sources/ldap_connection.h"

namespace platform::outlook::sources {

// Anything that names a person and can be rung, mailed or filed; the directory's groups,
// containers and devices stay out.
inline constexpr std::string_view kDefaultLdapFilter = "(objectClass=person)";

struct LdapSource {
  std::string name;  // the book's, and so the contact folder's, name
  LdapAccount account;
  std::string base;
  std::string filter;  // empty: kDefaultLdapFilter
};

// The entry as a vCard; nullopt when nothing of it maps to a contact (no name, no number, no
// address).
std::optional<std::string> LdapEntryToVCard(const LdapEntry& entry);
// The attributes a search asks for: the mapped ones and the keys.
std::vector<std::string> LdapRequestedAttributes();
// The book a source's entries live in; its URL stands for the server and the base DN.
std::string LdapBookUrl(const LdapSource& source);

SyncOutcome SyncLdap(const LdapSource& source, const SourceSnapshot& previous,
                     const LdapLimits& limits);

}  // namespace platform::outlook::sources
