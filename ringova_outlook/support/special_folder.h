#pragma once
// Paths of the shell's special folders, mapped onto the XDG base directories.

#include <string>

namespace ringova {

// Folder numbers the add-in asks for.
inline constexpr int kCsidlDesktopDirectory = 0x10;  // the user's desktop
inline constexpr int kCsidlCommonPrograms = 0x17;    // the menu entries of all users
inline constexpr int kCsidlLocalAppData = 0x1C;      // the user's application data

// The folder's path ending in "/", or "" for a number without an equivalent or
// when no home folder can be found. A missing folder is not created.
//   0x1C: $XDG_DATA_HOME, else ~/.local/share
//   0x17: the first entry of $XDG_DATA_DIRS (else /usr/local/share) + /applications
//   0x10: XDG_DESKTOP_DIR of $XDG_CONFIG_HOME/user-dirs.dirs, else ~/Desktop
std::string SpecialFolderPath(int csidl);

// The path with "/" appended unless it already ends in one; "" stays "".
std::string WithTrailingSeparator(std::string path);

}  // namespace ringova
