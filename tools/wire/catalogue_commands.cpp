#include "tools/wire/catalogue_commands.h"

#include <exception>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include "tools/wire/wire_dispatch.h"

namespace telvane::tools {

namespace {

std::string readStdin() {
  std::ios::sync_with_stdio(false);
  return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
}

int printed(const Json& json) {
  std::cout << json.dump() << '\n';
  std::cout.flush();
  return std::cout ? 0 : 1;
}

int finish(const DispatchResult& result) {
  if (!result.ok) {
    std::cerr << "telvane-wire: " << result.error << '\n';
    return 2;
  }
  return printed(result.result);
}

int runCommand(int argc, char** argv) {
  if (argc < 2) return -1;
  const std::string_view command = argv[1];
  if (command == "decode" && argc == 3 && std::string_view(argv[2]) == "--strict") {
    return printed(decodeStrict(readStdin()));
  }
  if (command != "dispatch") return -1;
  if (argc == 2) return finish(dispatchCall(readStdin()));
  if (argc == 4 && std::string_view(argv[2]) == "--response-to") {
    return finish(dispatchResponse(argv[3], readStdin()));
  }
  std::cerr << "usage: telvane-wire dispatch [--response-to METHODNAME]\n";
  return 2;
}

}  // namespace

int runCatalogueCommand(int argc, char** argv) {
  try {
    return runCommand(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "telvane-wire: " << e.what() << '\n';
    return 2;
  }
}

}  // namespace telvane::tools
