#pragma once
// Special folders, following the XDG base directories. Paths end with "/".
//
//   LocalAppData   $XDG_DATA_HOME, else ~/.local/share
//   AppData        $XDG_CONFIG_HOME, else ~/.config
//   Desktop        XDG_DESKTOP_DIR of $XDG_CONFIG_HOME/user-dirs.dirs, else ~/Desktop
//   Programs       $XDG_DATA_HOME/applications (the user's menu entries)
//   CommonPrograms the first folder of $XDG_DATA_DIRS (else /usr/local/share), "applications"
//   Personal       XDG_DOCUMENTS_DIR, else ~/Documents
//   Temp           $TMPDIR, else /tmp
// The numbers are the conventional folder ids, so code written for them can pass them through.
#include <optional>
#include <string>

namespace platform::shell {

enum class SpecialFolder {
  Desktop = 0x10,
  Programs = 0x02,
  Personal = 0x05,
  CommonPrograms = 0x17,
  AppData = 0x1A,
  LocalAppData = 0x1C,
  Temp = 0x7F00,  // no conventional id; ours
};

std::optional<SpecialFolder> specialFolderFromId(int id);

// Reads the environment (and user-dirs.dirs) at the time of the call; does not create folders.
// "" when neither the variable nor a home folder is known.
std::string xdgSpecialFolder(SpecialFolder folder);

}  // namespace platform::shell
