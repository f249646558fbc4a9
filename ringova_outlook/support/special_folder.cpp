#include "ringova_outlook/support/special_folder.h"

#include "platform/shell/special_folders.h"

namespace ringova {

std::string WithTrailingSeparator(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

std::string SpecialFolderPath(int csidl) {
  std::optional<platform::shell::SpecialFolder> folder =
      platform::shell::specialFolderFromId(csidl);
  return folder ? WithTrailingSeparator(platform::shell::xdgSpecialFolder(*folder)) : std::string();
}

}  // namespace ringova
