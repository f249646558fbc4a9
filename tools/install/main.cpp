// telvane-install-registry STORE VERSION: records the installed version in a machine registry
// store, as an installation does. Run by `cmake --install`; not installed itself.
#include <iostream>

#include "platform/registry/registry.h"
#include "tools/install/install_data.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: telvane-install-registry STORE VERSION\n";
    return 2;
  }
  platform::Registry store{std::filesystem::path(argv[1])};
  if (!store.setString(telvane::tools::kUninstallKey, telvane::tools::kDisplayVersionValue,
                       argv[2])) {
    std::cerr << "telvane-install-registry: cannot write " << argv[1] << '\n';
    return 1;
  }
  return 0;
}
