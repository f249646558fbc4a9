#include "bench/drawn_main.h"

#include <benchmark/benchmark.h>

#include <QtWidgets/QApplication>
#include <cstdio>
#include <string>

#include "bench/private_display.h"

namespace bench {

int RunDrawnBenchmarks(int argc, char** argv, const char* program,
                       const std::function<void()>& beforeQuit) {
  std::string why;
  if (!EnsureDisplay(why)) {
    std::fprintf(stderr, "%s: %s\n", program, why.c_str());
    return 1;
  }
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (beforeQuit) beforeQuit();
  return 0;
}

}  // namespace bench
