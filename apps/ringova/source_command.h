#pragma once
// `ringova source add | list | remove | sync`: the user's address-book sources in the user's
// registry store, and a sync of their caches while ringova is not running.
#include <cstdio>

#include "apps/ringova/host_options.h"

namespace ringova::host {

// Exit status: 0 done, 1 failed (with one line on err), 2 for a command it cannot use.
int RunSource(const HostOptions& options, std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace ringova::host
