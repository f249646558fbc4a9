#include "platform/shell/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform::shell {
namespace {

class FileMutex final : public NamedMutex {
 public:
  FileMutex(std::string name, int fd, bool existed)
      : name_(std::move(name)), fd_(fd), existed_(existed) {}
  ~FileMutex() override { ::close(fd_); }
  const std::string& name() const override { return name_; }
  bool alreadyExisted() const override { return existed_; }

 private:
  std::string name_;
  int fd_;
  bool existed_;
};

bool usableName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.size() > 200) return false;
  for (unsigned char c : name)
    if (c == '/' || c < 0x20 || c == 0x7F) return false;
  return true;
}

// The user's runtime folder; a shared /tmp fallback must be ours and not a link.
std::string lockFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') return runtime;
  std::string folder = "/tmp/telvane-" + std::to_string(::getuid());
  ::mkdir(folder.c_str(), 0700);
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
    return {};
  return folder;
}

int flockRetry(int fd, int op) {
  int rc;
  do {
    rc = ::flock(fd, op);
  } while (rc != 0 && errno == EINTR);
  return rc;
}

}  // namespace

std::unique_ptr<NamedMutex> createFileMutex(const std::string& name) {
  if (!usableName(name)) return nullptr;
  std::string folder = lockFolder();
  if (folder.empty()) return nullptr;
  std::string path = folder + "/" + name + ".lock";
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return nullptr;
  // Whoever holds the name holds a shared lock; an exclusive try tells whether anyone does.
  bool existed = flockRetry(fd, LOCK_EX | LOCK_NB) != 0;
  if (flockRetry(fd, LOCK_SH) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<FileMutex>(name, fd, existed);
}

}  // namespace platform::shell
