#pragma once
// A Radicale server of the test's own on 127.0.0.1: its storage folder and a plain htpasswd file
// in a temporary folder, started on a free port and stopped with the object.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/outlook/sources/dav_client.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace testsupport {

class RadicaleServer {
 public:
  // Users as "name:password".
  explicit RadicaleServer(std::vector<std::string> users) {
    // A user of this server alone: a port taken meanwhile by another test's server answers it
    // with 401, so that server is never mistaken for this one.
    probe_user_ = "probe" + std::to_string(::getpid()) + "x" + std::to_string(++Serial());
    probe_password_ = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    users.push_back(probe_user_ + ":" + probe_password_);
    std::ofstream(folder_.path() / "users") << Join(users);
    for (int attempt = 0; attempt < 5 && pid_ <= 0; ++attempt) Start();
  }
  ~RadicaleServer() { Stop(); }
  RadicaleServer(const RadicaleServer&) = delete;
  RadicaleServer& operator=(const RadicaleServer&) = delete;

  bool running() const { return pid_ > 0; }
  // Where the server keeps a user's collections; files written there are the server's items.
  std::filesystem::path collections(const std::string& user) const {
    return folder_.path() / "collections" / "collection-root" / user;
  }
  std::uint16_t port() const { return port_; }
  std::string url(const std::string& path = "/") const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  static int& Serial() {
    static int serial = 0;
    return serial;
  }
  bool Ours() const {
    platform::outlook::sources::DavClient probe({probe_user_, probe_password_, ""});
    return probe.Send({"PROPFIND", url("/"), "", 0}).ok();
  }
  static std::string Join(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += l + "\n";
    return out;
  }
  static std::uint16_t FreePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    std::uint16_t port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
      port = ntohs(address.sin_port);
    if (fd >= 0) ::close(fd);
    return port;
  }
  static bool Accepts(std::uint16_t port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool ok =
        fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) ::close(fd);
    return ok;
  }

  void Start() {
    port_ = FreePort();
    const std::string base = folder_.path().string();
    std::ofstream(folder_.path() / "config")
        << "[server]\nhosts = 127.0.0.1:" << port_ << "\n"
        << "[auth]\ntype = htpasswd\nhtpasswd_filename = " << base << "/users\n"
        << "htpasswd_encryption = plain\ndelay = 0\n"
        << "[storage]\nfilesystem_folder = " << base << "/collections\n"
        << "[rights]\ntype = owner_only\n"
        << "[web]\ntype = none\n"
        << "[logging]\nlevel = warning\n";
    std::vector<std::string> argv = {"/usr/bin/radicale", "--config", base + "/config"};
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = base + "/radicale.log";
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (pid <= 0) return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      if (::waitpid(pid, nullptr, WNOHANG) == pid) return;  // the port was taken meanwhile
      if (Accepts(port_)) {
        if (Ours()) {
          pid_ = pid;
          return;
        }
        break;  // another server has the port: start again on another
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }

  TempFolder folder_;
  std::string probe_user_, probe_password_;
  pid_t pid_ = -1;
  std::uint16_t port_ = 0;
};

}  // namespace testsupport
