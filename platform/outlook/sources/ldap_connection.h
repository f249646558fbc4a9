// One connection to an LDAP directory, on the calling thread: ldaps://, or ldap:// raised to TLS
// with StartTLS before anything else is sent (a server that refuses fails; a bind password or a
// directory's numbers are not for the open network). The server certificate is checked against the
// system's CAs and the host name, or, with a pin, its SHA-256 fingerprint and nothing else is; a
// certificate that does not match ends the connection before the bind. Then an anonymous or a
// simple bind, and paged searches. A failure comes back as a reason in plain words.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/outlook/sources/dav_client.h"

namespace platform::outlook::sources {

struct LdapAccount {
  std::string url;      // ldap://host[:port] or ldaps://host[:port]
  std::string bind_dn;  // empty: anonymous
  std::string password;
  std::string tls_pin;  // as DavAccount's
};

struct LdapLimits {
  std::chrono::seconds connect_timeout{10};
  std::chrono::seconds total_timeout{300};  // the whole search, every page
  int page_size = 500;                      // below the common server size limits
  std::size_t max_entries = 200000;
  std::shared_ptr<std::atomic<bool>> cancel;  // as DavLimits'
};

// Attribute names in lower case, values as the server sent them.
struct LdapEntry {
  std::string dn;
  std::vector<std::pair<std::string, std::vector<std::string>>> attributes;
  const std::vector<std::string>* Values(std::string_view lower_name) const;
};

struct LdapResult {
  DavFailure failure = DavFailure::kNone;
  std::string error;
  bool ok() const { return failure == DavFailure::kNone; }
};

class LdapConnection {
 public:
  LdapConnection(LdapAccount account, LdapLimits limits);
  ~LdapConnection();
  LdapConnection(const LdapConnection&) = delete;
  LdapConnection& operator=(const LdapConnection&) = delete;

  // Connects, secures and binds; a wrong DN or password fails as kAuthentication.
  LdapResult Open();
  // Every entry under base (subtree) that matches the filter, a page at a time, each handed to
  // on_entry as it arrives. Fails as a whole where any page fails.
  LdapResult Search(const std::string& base, const std::string& filter,
                    const std::vector<std::string>& attributes,
                    const std::function<void(LdapEntry)>& on_entry);

 private:
  struct Handle;
  LdapResult Fail(DavFailure failure, std::string error);
  LdapAccount account_;
  LdapLimits limits_;
  std::unique_ptr<Handle> handle_;
};

}  // namespace platform::outlook::sources
