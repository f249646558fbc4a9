#pragma once
// Opening an address with the system's handler: runs `xdg-open ADDRESS` with an argument vector
// (posix_spawnp, never a shell), so no character of the address is interpreted. Waits for the
// opener to return (xdg-open hands the address over and exits).
#include <string>
#include <vector>

namespace platform::shell {

// Runs argv[0] (searched in PATH) with argv and waits; the exit status, or -1 if it could not run.
int runProgram(const std::vector<std::string>& argv);

// True when the opener ran and exited with 0. An empty address, or one that starts with "-"
// (it would be read as an option), is refused without running anything.
bool openWithOpener(const std::string& opener, const std::string& address);

}  // namespace platform::shell
