#pragma once
// The file dialog request: which file to open or save.
#include <string>

namespace platform::shell {

struct FileDialogRequest {
  std::string title;
  std::string initialFolder;  // "" = the current folder
  std::string fileName;       // preset name
  std::string filter;         // e.g. "Text files|*.txt"
  bool save = false;          // save style (the file may not exist yet)
};

}  // namespace platform::shell
