// pbxsim: a PBX on 127.0.0.1 for trying the control, its tests and the demo.
#include <iostream>
#include <string>
#include <vector>

#include "tools/pbxsim/pbx_simulator.h"
#include "tools/pbxsim/sim_options.h"

int main(int argc, char** argv) {
  using telvane::tools::PbxSimulator;
  PbxSimulator::Options options;
  bool help = false;
  std::string error;
  if (!telvane::tools::parseSimArguments(std::vector<std::string>(argv + 1, argv + argc), options,
                                         help, error)) {
    std::cerr << "pbxsim: " << error << '\n' << telvane::tools::kSimUsage;
    return 2;
  }
  if (help) {
    std::cout << telvane::tools::kSimUsage;
    return 0;
  }
  PbxSimulator simulator(std::move(options));
  if (!simulator.start()) {
    std::cerr << "pbxsim: " << simulator.error() << '\n';
    return 1;
  }
  std::cout << "{\"listening\":" << simulator.port() << "}" << std::endl;
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    std::cout << simulator.command(line) << std::endl;
  }
  simulator.stop();
  return 0;
}
