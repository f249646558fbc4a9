// ringova: the desktop host that plays Outlook for the add-in.
#include <cstdio>
#include <string>
#include <vector>

#include "apps/ringova/autostart.h"
#include "apps/ringova/config_command.h"
#include "apps/ringova/host_options.h"
#include "apps/ringova/modules.h"
#include "apps/ringova/outlook_host.h"
#include "apps/ringova/source_command.h"

int main(int argc, char** argv) {
  using namespace ringova::host;
  HostOptions options;
  std::string error;
  if (!ParseHostOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::fprintf(stderr, "ringova: %s (ringova --help shows the usage)\n", error.c_str());
    return 2;
  }
  switch (options.command) {
    case Command::Help:
      std::fputs(kHostUsage, stdout);
      return 0;
    case Command::ConfigList:
    case Command::ConfigGet:
    case Command::ConfigSet:
      return RunConfig(options, stdout, stderr);
    case Command::SourceAdd:
    case Command::SourceList:
    case Command::SourceRemove:
    case Command::SourceSync:
      return RunSource(options, stdin, stdout, stderr);
    case Command::Register:
    case Command::Unregister:
      if (!RegisterModules(options.command == Command::Unregister, error)) {
        std::fprintf(stderr, "ringova: %s\n", error.c_str());
        return 1;
      }
      return 0;
    case Command::AutostartOn:
    case Command::AutostartOff:
      return RunAutostart(options.command == Command::AutostartOn, stderr);
    case Command::Run:
      break;
  }
  return RunHost(options, stdout, stderr);
}
