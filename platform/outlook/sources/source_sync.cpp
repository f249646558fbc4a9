#include "platform/outlook/sources/source_sync.h"

#include "platform/outlook/sources/ldap_sync.h"

namespace platform::outlook::sources {

bool IsKnownSourceKind(std::string_view kind) {
  return kind == "carddav" || kind == "ldap";
}

SourceSync MakeSourceSync(const SourceDefinition& d, std::shared_ptr<std::atomic<bool>> cancel) {
  if (d.kind == "carddav") {
    DavLimits limits;
    limits.cancel = std::move(cancel);
    auto client = std::make_shared<DavClient>(DavAccount{d.user, d.password, d.tls_pin}, limits);
    return [client, url = d.url](const SourceSnapshot& previous) {
      return SyncCardDav(*client, url, previous);
    };
  }
  if (d.kind == "ldap") {
    LdapLimits limits;
    limits.cancel = std::move(cancel);
    LdapSource source{d.name, {d.url, d.user, d.password, d.tls_pin}, d.base, d.filter};
    return [source = std::move(source), limits](const SourceSnapshot& previous) {
      return SyncLdap(source, previous, limits);
    };
  }
  return [kind = d.kind](const SourceSnapshot& previous) {
    SyncOutcome outcome;
    outcome.snapshot = previous;
    outcome.failure = DavFailure::kStatus;
    outcome.error = "the kind of source " + kind + " is not known";
    return outcome;
  };
}

}  // namespace platform::outlook::sources
