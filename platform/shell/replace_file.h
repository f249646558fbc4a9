#pragma once
// Replacing a whole file so that a process killed at any moment (or a machine that loses power)
// leaves the old content or the new one, never a cut or mixed file: the new content goes to a
// temporary file in the same folder ("<name>.tmp<pid>-<n>"), is synced, renamed over the file,
// and the folder is synced. Temporaries left by processes that died while writing are removed
// on the next write. A file that is a symbolic link stays one: the file it leads to is replaced.
//
// Concurrent writers of one file each leave a whole file (the last rename wins); a caller that
// merges must serialise its read-modify-write itself (the registry locks a file for it).
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace platform::shell {

enum class FileMode {
  Keep,   // an existing file's permission bits carry over; a new file gets `mode` less the umask
  Force,  // the file always gets exactly `mode`
};

// False with the reason in error when the file cannot be written; the old file is then
// untouched and no temporary is left.
bool ReplaceFile(const std::filesystem::path& file, std::string_view content, mode_t mode,
                 FileMode policy, std::string& error);

}  // namespace platform::shell
