#pragma once
// `ringova source add | list | remove | sync`: the user's address-book sources in the user's
// registry store; a sync is handed to a running ringova over the session bus, else the caches
// are synced here under their lock.
#include <cstdio>

#include "apps/ringova/host_options.h"

namespace ringova::host {

// Exit status: 0 done, 1 failed (with one line on err), 2 for a command it cannot use.
int RunSource(const HostOptions& options, std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace ringova::host
