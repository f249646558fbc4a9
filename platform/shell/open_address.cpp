#include "platform/shell/open_address.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

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

bool openWithOpener(const std::string& opener, const std::string& address) {
  if (address.empty() || address[0] == '-') return false;
  return runProgram({opener, address}) == 0;
}

}  // namespace platform::shell
