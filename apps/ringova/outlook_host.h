#pragma once
// The host: Outlook's stand-in built from the user's mailbox, the add-ins registered for it
// (loaded by the add-in manager), the UI thread's loop and, in the scripted mode, the script.
#include <cstdio>

#include "apps/ringova/host_options.h"

namespace ringova::host {

// Exit status: 0 after a normal quit, 2 for a mailbox it cannot load, 1 when the modules cannot
// be registered. Transcript lines go to `out`, complaints to `err`.
int RunHost(const HostOptions& options, std::FILE* out, std::FILE* err);

}  // namespace ringova::host
