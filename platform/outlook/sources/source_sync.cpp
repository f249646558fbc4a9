#include "platform/outlook/sources/source_sync.h"

#include "platform/outlook/sources/ldap_sync.h"

namespace platform::outlook::sources {

namespace {

using Cancel = std::shared_ptr<std::atomic<bool>>;

SourceSync CardDavSync(const SourceDefinition& d, Cancel cancel) {
  DavLimits limits;
  limits.cancel = std::move(cancel);
  auto client = std::make_shared<DavClient>(DavAccount{d.user, d.password, d.tls_pin}, limits);
  return [client, url = d.url](const SourceSnapshot& previous) {
    return SyncCardDav(*client, url, previous);
  };
}

SourceSync LdapDirectorySync(const SourceDefinition& d, Cancel cancel) {
  LdapLimits limits;
  limits.cancel = std::move(cancel);
  LdapSource source{d.name, {d.url, d.user, d.password, d.tls_pin}, d.base, d.filter};
  return [source = std::move(source), limits](const SourceSnapshot& previous) {
    return SyncLdap(source, previous, limits);
  };
}

struct SourceKind {
  std::string_view name;
  SourceSync (*make)(const SourceDefinition&, Cancel);
};
constexpr SourceKind kSourceKinds[] = {{"carddav", CardDavSync}, {"ldap", LdapDirectorySync}};

const SourceKind* FindKind(std::string_view name) {
  for (const SourceKind& kind : kSourceKinds)
    if (kind.name == name) return &kind;
  return nullptr;
}

}  // namespace

bool IsKnownSourceKind(std::string_view kind) {
  return FindKind(kind) != nullptr;
}

SourceSync MakeSourceSync(const SourceDefinition& d, std::shared_ptr<std::atomic<bool>> cancel) {
  if (const SourceKind* kind = FindKind(d.kind)) return kind->make(d, std::move(cancel));
  return [kind = d.kind](const SourceSnapshot& previous) {
    SyncOutcome outcome;
    outcome.snapshot = previous;
    outcome.failure = DavFailure::kStatus;
    outcome.error = "the kind of source " + kind + " is not known";
    return outcome;
  };
}

}  // namespace platform::outlook::sources
