// The one place a source's kind picks its sync: what the runner's worker and `ringova source
// sync` call, with whatever connection the kind keeps between syncs held inside.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/outlook/sources/carddav_sync.h"
#include "platform/outlook/sources/source_definitions.h"

namespace platform::outlook::sources {

// "carddav" and "ldap": the kinds MakeSourceSync knows.
bool IsKnownSourceKind(std::string_view kind);

using SourceSync = std::function<SyncOutcome(const SourceSnapshot& previous)>;

// cancel may be null. A kind not known syncs to a failure that says so.
SourceSync MakeSourceSync(const SourceDefinition& definition,
                          std::shared_ptr<std::atomic<bool>> cancel = nullptr);

}  // namespace platform::outlook::sources
