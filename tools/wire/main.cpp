// telvane-wire: decode, encode and split PBX XML-RPC traffic for debugging.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "tools/wire/catalogue_commands.h"
#include "tools/wire/wire_json.h"

namespace {

std::string readAll() {
  std::ios::sync_with_stdio(false);
  return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
}

int usage() {
  std::cerr << "usage: telvane-wire decode [--strict]|encode|split|dispatch [--response-to METHOD]"
               "  (reads stdin, writes stdout)\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (const int status = telvane::tools::runCatalogueCommand(argc, argv); status >= 0)
    return status;
  if (argc != 2) return usage();
  const std::string command = argv[1];
  try {
    if (command == "decode") {
      std::cout << telvane::tools::decodeMessage(readAll()).dump() << '\n';
    } else if (command == "split") {
      std::cout << telvane::tools::splitStream(readAll());
    } else if (command == "encode") {
      std::string wire, error;
      if (!telvane::tools::encodeMessage(readAll(), wire, error)) {
        std::cerr << "telvane-wire: " << error << '\n';
        return 2;
      }
      std::cout << wire;
    } else {
      return usage();
    }
  } catch (const std::exception& e) {
    std::cerr << "telvane-wire: " << e.what() << '\n';
    return 2;
  }
  std::cout.flush();
  return std::cout ? 0 : 1;
}
