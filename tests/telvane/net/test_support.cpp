#include "tests/telvane/net/test_support.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "telvane/net/address_record.h"

namespace telvane::testing {
namespace {

using Clock = std::chrono::steady_clock;

// The program's full path, looked up before forking so the child only calls execv.
std::string FindProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = getenv("PATH");
  std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const std::filesystem::path candidate = std::filesystem::path(folder) / name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return name;
}

}  // namespace

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "telvane-net-XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::vector<std::string>& arguments,
                                                  const std::filesystem::path& log) {
  if (arguments.empty()) return nullptr;
  const std::string program = FindProgram(arguments[0]);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const int input = open("/dev/null", O_RDONLY | O_CLOEXEC);
  const int output = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  const pid_t parent = getpid();
  const pid_t pid = (input >= 0 && output >= 0) ? fork() : -1;
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    dup2(input, STDIN_FILENO);
    dup2(output, STDOUT_FILENO);
    dup2(output, STDERR_FILENO);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (input >= 0) close(input);
  if (output >= 0) close(output);
  if (pid < 0) return nullptr;
  return std::unique_ptr<ChildProcess>(new ChildProcess(pid));
}

ChildProcess::~ChildProcess() {
  if (reaped_) return;
  kill(pid_, SIGTERM);
  if (Wait(std::chrono::seconds(2)) == -1 && !reaped_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status_, 0);
    reaped_ = true;
  }
}

bool ChildProcess::HasExited() {
  if (reaped_) return true;
  if (waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
  return reaped_;
}

int ChildProcess::Wait(std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  while (!HasExited()) {
    if (Clock::now() >= deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

bool RunCommand(const std::vector<std::string>& arguments, const std::filesystem::path& log,
                std::chrono::milliseconds limit) {
  auto child = ChildProcess::Start(arguments, log);
  return child && child->Wait(limit) == 0;
}

std::uint16_t FreeLoopbackPort() {
  const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = LoopbackAddress(0);
  socklen_t length = sizeof address;
  std::uint16_t port = 0;
  if (probe >= 0 && bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = PortOf(address);
  }
  if (probe >= 0) close(probe);
  return port;
}

bool WaitUntilListening(std::uint16_t port, ChildProcess& server, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  const sockaddr_in address = LoopbackAddress(port);
  while (Clock::now() < deadline && !server.HasExited()) {
    const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool listening =
        connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(probe);
    if (listening) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace telvane::testing
