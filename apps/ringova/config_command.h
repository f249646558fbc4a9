#pragma once
// `ringova config`: the add-in's settings as the settings window keeps them, text values under
// Software\RingovaAddIn\Settings of the current user's store.
#include <cstdio>

#include "apps/ringova/host_options.h"

namespace ringova::host {

// 0 on success; 1 when the store cannot be read or written or the setting is not there.
int RunConfig(const HostOptions& options, std::FILE* out, std::FILE* err);

}  // namespace ringova::host
