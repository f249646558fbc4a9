#pragma once
// Opening an address with the system's handler: runs `xdg-open ADDRESS` with an argument vector
// (never a shell), so no character of the address is interpreted. openWithOpener waits for the
// opener to return; startWithOpener only until it has started, because an opener may stay with
// the program it hands the address to (a browser, a download) and the caller is a UI thread.
#include <string>
#include <vector>

namespace platform::shell {

// Runs argv[0] (searched in PATH) with argv and waits; the exit status, or -1 if it could not run.
int runProgram(const std::vector<std::string>& argv);

// Starts argv[0] (searched in PATH) with argv in a session of its own and returns without waiting
// for it; true when the program was executed. It is not left as our child (no zombie to reap).
bool startProgram(const std::vector<std::string>& argv);

// True when the opener ran and exited with 0. An empty address, or one that starts with "-"
// (it would be read as an option), is refused without running anything.
bool openWithOpener(const std::string& opener, const std::string& address);
// The same, returning once the opener has started: true when it was executed.
bool startWithOpener(const std::string& opener, const std::string& address);

}  // namespace platform::shell
