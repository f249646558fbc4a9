#pragma once
// Follows the add-in's log files ("RingovaLog1.txt" .. "RingovaLog5.txt" in its log folder) and
// hands over each new line's message, without the quotes and the time stamp. Lines already there
// when following starts (or when the folder changes) are skipped. Files are told apart by their
// inode, so the ring's renames do not show a line twice.
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace ringova::host {

class LogFollower {
 public:
  using Folder = std::function<std::string()>;  // the log folder as it is now, with "/"
  using Sink = std::function<void(const std::string& message)>;

  LogFollower(Folder folder, Sink sink);

  // Reads what was added since the last poll; on the UI thread, between the add-in's writes.
  void poll();

  // `"12/9/2026 3:04:05 PM: text"` gives "text"; a line of another shape is given as it is.
  static std::string messageOf(std::string_view line);

 private:
  void baseline();

  Folder folderOf_;
  Sink sink_;
  std::string folder_;
  std::map<ino_t, std::uintmax_t> read_;  // bytes taken from each file
};

}  // namespace ringova::host
