// Helpers for the network tests: temporary folders, child processes that are always reaped,
// and loopback ports.
#ifndef TESTS_TELVANE_NET_TEST_SUPPORT_H_
#define TESTS_TELVANE_NET_TEST_SUPPORT_H_

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace telvane::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A child process with its output in a log file. Killed and reaped on destruction; it also dies
// with the test process.
class ChildProcess {
 public:
  // Null when the process could not be started.
  static std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& arguments,
                                             const std::filesystem::path& log);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Whether it has ended (reaps it when so).
  bool HasExited();
  // Waits at most `limit` for the end; the exit status, or -1 when it did not end (or was
  // killed by a signal).
  int Wait(std::chrono::milliseconds limit);

 private:
  explicit ChildProcess(pid_t pid) : pid_(pid) {}
  pid_t pid_;
  bool reaped_ = false;
  int status_ = 0;
};

// Runs a command to its end (at most `limit`); true when it exited with status 0.
bool RunCommand(const std::vector<std::string>& arguments, const std::filesystem::path& log,
                std::chrono::milliseconds limit = std::chrono::seconds(30));

// A loopback TCP port that was free a moment ago.
std::uint16_t FreeLoopbackPort();

// Polls until something listens on 127.0.0.1:`port`; gives up when `server` ends or after
// `limit`.
bool WaitUntilListening(std::uint16_t port, ChildProcess& server, std::chrono::milliseconds limit);

std::string ReadFile(const std::filesystem::path& path);

}  // namespace telvane::testing

#endif  // TESTS_TELVANE_NET_TEST_SUPPORT_H_
