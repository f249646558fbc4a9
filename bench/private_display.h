#pragma once
// The display of a benchmark that draws real windows: the one the environment names, or else a
// private Xvfb started on a free display number and stopped when the program ends.
#include <string>

namespace bench {

// True once a display is there (DISPLAY set, ours or the environment's); else `why` says why not.
bool EnsureDisplay(std::string& why);

}  // namespace bench
