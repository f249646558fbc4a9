#pragma once
// Paths of the shell's special folders by their conventional numbers, on the
// XDG base directories (see platform/shell/special_folders.h).

#include <string>

namespace ringova {

// Folder numbers the add-in asks for.
inline constexpr int kCsidlDesktopDirectory = 0x10;  // the user's desktop
inline constexpr int kCsidlCommonPrograms = 0x17;    // the menu entries of all users
inline constexpr int kCsidlLocalAppData = 0x1C;      // the user's application data

// The folder's path ending in "/", or "" for a number without an equivalent or
// when no home folder can be found. A missing folder is not created.
std::string SpecialFolderPath(int csidl);

// The path with "/" appended unless it already ends in one; "" stays "".
std::string WithTrailingSeparator(std::string path);

}  // namespace ringova
