#include "platform/shell/replace_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace platform::shell {
namespace {

constexpr std::string_view kTempMark = ".tmp";

// A temporary of `name` whose writer no longer runs.
bool StaleTemporary(const std::string& entry, const std::string& name) {
  if (!entry.starts_with(name) || entry.compare(name.size(), kTempMark.size(), kTempMark) != 0) {
    return false;
  }
  const char* first = entry.data() + name.size() + kTempMark.size();
  const char* last = entry.data() + entry.size();
  pid_t pid = 0;
  const auto [end, ec] = std::from_chars(first, last, pid);
  if (ec != std::errc() || end == first || end == last || *end != '-' || pid <= 0) return false;
  return ::kill(pid, 0) != 0 && errno == ESRCH;
}

void RemoveStaleTemporaries(const std::filesystem::path& file) {
  const std::filesystem::path folder =
      file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
  const std::string name = file.filename().string();
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (StaleTemporary(it->path().filename().string(), name)) {
      std::filesystem::remove(it->path(), ec);
      ec.clear();
    }
  }
}

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// A file kept elsewhere behind a link (a dotfiles folder) stays behind it: its target is what
// gets replaced, in the target's folder, even when the target is not there yet.
std::filesystem::path LinkTarget(std::filesystem::path file) {
  constexpr int kMaxLinks = 40;  // the kernel's own limit on a chain of links
  std::error_code ec;
  for (int n = 0; n < kMaxLinks && std::filesystem::is_symlink(file, ec); ++n) {
    const std::filesystem::path next = std::filesystem::read_symlink(file, ec);
    if (ec) break;
    file = next.is_absolute() ? next : file.parent_path() / next;
  }
  return file;
}

}  // namespace

bool ReplaceFile(const std::filesystem::path& path, std::string_view content, mode_t mode,
                 FileMode policy, std::string& error) {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path file = LinkTarget(path);
  RemoveStaleTemporaries(file);

  struct stat old {};
  if (policy == FileMode::Keep && ::stat(file.c_str(), &old) == 0) mode = old.st_mode & 07777;
  std::filesystem::path temp = file;
  temp += std::string(kTempMark) + std::to_string(::getpid()) + "-" + std::to_string(counter++);
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
  if (fd < 0) {
    error = file.string() + ": " + std::strerror(errno);
    return false;
  }
  // open applied the umask; an existing file's bits, or a forced mode, are set as they are.
  bool ok = (policy == FileMode::Force || old.st_mode != 0) ? ::fchmod(fd, mode) == 0 : true;
  ok = ok && WriteAll(fd, content) && ::fsync(fd) == 0;
  int saved = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  if (ok && ::rename(temp.c_str(), file.c_str()) != 0) {
    ok = false;
    saved = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    error = file.string() + ": " + std::strerror(saved);
    return false;
  }
  // The rename itself is durable once the folder is synced.
  const std::filesystem::path folder = file.parent_path();
  const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

}  // namespace platform::shell
