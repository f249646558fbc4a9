#pragma once
// A real FTP server for the update-check tests: ftp_test_server.py (pyftpdlib
// under Debian's /usr/bin/python3) on 127.0.0.1 on a free port, serving a
// folder read-only to anonymous users, stopped with the object.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/apps/telvane/child_process.h"
#include "tests/support/temp_folder.h"

namespace ringova::testing_support {

class FtpTestServer {
 public:
  // Serves root; with anonymous false every login is refused.
  explicit FtpTestServer(const std::filesystem::path& root, bool anonymous = true)
      : log_(root.parent_path() / "ftp-server.log"), process_(Command(root, log_, anonymous)) {
    std::optional<std::string> line = process_.readLine(std::chrono::seconds(10));
    if (!line || line->rfind("PORT ", 0) != 0) {
      ADD_FAILURE() << "the FTP test server did not start; it needs /usr/bin/python3 with "
                       "python3-pyftpdlib (scripts/install-deps)";
      return;
    }
    port_ = static_cast<std::uint16_t>(std::stoi(line->substr(5)));
  }
  ~FtpTestServer() { Stop(); }

  std::uint16_t port() const { return port_; }
  // "connect", "login anonymous", "sent RingovaUpdate/ringova.conf", ...
  std::vector<std::string> Events() const {
    std::vector<std::string> lines;
    std::istringstream in(testsupport::ReadFile(log_));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // Ends the server: it stops when its input closes.
  void Stop() {
    process_.closeInput();
    process_.readAll(std::chrono::seconds(5));
  }

 private:
  static std::vector<std::string> Command(const std::filesystem::path& root,
                                          const std::filesystem::path& log, bool anonymous) {
    const char* source = std::getenv("TELVANE_SOURCE_DIR");
    std::string script = std::string(source != nullptr ? source : ".") +
                         "/tests/ringova_outlook/support/ftp_test_server.py";
    std::vector<std::string> argv{"/usr/bin/python3", script, root.string(), log.string()};
    if (!anonymous) argv.push_back("--no-anonymous");
    return argv;
  }

  std::filesystem::path log_;
  ChildProcess process_;
  std::uint16_t port_ = 0;
};

}  // namespace ringova::testing_support
