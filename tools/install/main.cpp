// telvane-install-registry STORE VERSION: records the installed version in a machine registry
// store, as an installation does. Run by `cmake --install`; not installed itself.
#include <iostream>

#include "platform/registry/registry.h"
#include "ringova_outlook/support/installed_version.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: telvane-install-registry STORE VERSION\n";
    return 2;
  }
  platform::Registry store{std::filesystem::path(argv[1])};
  if (!store.setString(ringova::kUninstallKey, ringova::kDisplayVersion, argv[2])) {
    std::cerr << "telvane-install-registry: cannot write " << argv[1] << '\n';
    return 1;
  }
  return 0;
}
