#include "platform/shell/open_address.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

extern char** environ;

namespace platform::shell {

int runProgram(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return -1;
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

namespace {

bool isExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The program's path as execvp would find it; "" when there is none. Resolved before the fork, so
// the child only has to call execve.
std::string findProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return isExecutableFile(name) ? name : std::string();
  const char* env = std::getenv("PATH");
  std::string_view dirs = env != nullptr ? env : "/usr/local/bin:/usr/bin:/bin";
  size_t at = 0;
  while (at <= dirs.size()) {
    size_t colon = dirs.find(':', at);
    std::string_view dir = dirs.substr(at, colon == std::string_view::npos ? colon : colon - at);
    std::string candidate = (dir.empty() ? std::string(".") : std::string(dir)) + "/" + name;
    if (isExecutableFile(candidate)) return candidate;
    if (colon == std::string_view::npos) break;
    at = colon + 1;
  }
  return {};
}

}  // namespace

bool startProgram(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return false;
  const std::string path = findProgram(argv[0]);
  if (path.empty()) return false;
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  // The exec's outcome: the pipe closes on a successful exec, or carries its errno.
  int status[2];
  if (::pipe2(status, O_CLOEXEC) != 0) return false;
  pid_t child = ::fork();
  if (child == 0) {
    // Only async-signal-safe calls here: the parent may have other threads.
    pid_t grandchild = ::fork();
    if (grandchild == 0) {
      ::setsid();
      ::execve(path.c_str(), args.data(), environ);
      int error = errno;
      (void)!::write(status[1], &error, sizeof error);
      ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  ::close(status[1]);
  bool started = false;
  if (child > 0) {
    int waited = 0;
    while (::waitpid(child, &waited, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(waited) && WEXITSTATUS(waited) == 0) {
      int error = 0;
      ssize_t n = 0;
      while ((n = ::read(status[0], &error, sizeof error)) < 0 && errno == EINTR) {
      }
      started = n == 0;
    }
  }
  ::close(status[0]);
  return started;
}

bool openWithOpener(const std::string& opener, const std::string& address) {
  if (address.empty() || address[0] == '-') return false;
  return runProgram({opener, address}) == 0;
}

bool startWithOpener(const std::string& opener, const std::string& address) {
  if (address.empty() || address[0] == '-') return false;
  return startProgram({opener, address});
}

}  // namespace platform::shell
