#pragma once
// The main program of a benchmark that draws real windows: a display (see private_display.h), a
// Qt application, then the registered benchmarks.
#include <functional>

namespace bench {

// Runs the benchmarks; `beforeQuit` releases what needs the application, before it goes. Returns
// the program's exit status (1 without a display, said on stderr under `program`'s name).
int RunDrawnBenchmarks(int argc, char** argv, const char* program,
                       const std::function<void()>& beforeQuit = {});

}  // namespace bench
