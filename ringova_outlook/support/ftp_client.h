#pragma once
// The update check's Internet calls on libcurl, one for each step of the
// check: open the session, connect (anonymous login, passive mode), change the
// server folder, fetch a file. Each returns 0 or the code that call reports
// (internet_errors.h), so a failed check names the call that failed, never a
// code left over from an earlier one.
//
// Every wait is bounded by the time-outs, the closing of the connection
// included, so an unreachable server holds the caller for seconds at most.
// Proxies are those of the environment (libcurl's *_proxy variables). One
// client per check, on one thread.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "ringova_outlook/support/internet_errors.h"

namespace ringova {

struct FtpTimeouts {
  std::chrono::milliseconds connect{3000};  // name lookup and each TCP connection
  std::chrono::milliseconds call{5000};     // one whole call: replies and data included
  std::chrono::milliseconds total{10000};   // all calls from Open on
};

// A larger download is cut off and reported as cancelled.
inline constexpr std::uintmax_t kMaxDownloadBytes = 16 * 1024 * 1024;

class FtpClient {
 public:
  explicit FtpClient(FtpTimeouts timeouts = {});
  ~FtpClient();
  FtpClient(const FtpClient&) = delete;
  FtpClient& operator=(const FtpClient&) = delete;

  // The session; agent names the program to servers that ask.
  InternetError Open(std::string_view agent);
  // Connects and logs in anonymously; port 0 is FTP's own. A host that is not
  // a valid name (IsValidHostName) cannot be resolved.
  InternetError Connect(std::string_view host, std::uint16_t port);
  // Changes the server folder, relative to the current one ("a/b"); a leading
  // "/", or "/" alone, starts from the login folder.
  InternetError SetCurrentDirectory(std::string_view folder);
  // Fetches remote_name from the current folder in ASCII mode into local_path,
  // replacing a file there but never writing through a link. A failed fetch
  // leaves no file. Local failures give system codes (SystemErrorForErrno).
  InternetError GetFile(std::string_view remote_name, const std::filesystem::path& local_path);
  // Ends the connection and the session; nothing when they are not open.
  void Close();

  bool IsOpen() const { return handle_ != nullptr; }
  bool IsConnected() const { return !base_address_.empty(); }
  // The server folder, relative to the login folder ("" there).
  const std::string& CurrentDirectory() const { return current_; }

 private:
  struct HandleDeleter {
    void operator()(void* handle) const;
  };
  // Runs one request for the address in this folder; curl's result code.
  int Request(const std::string& folder, std::string_view file, bool body);
  std::string FolderAddress(const std::string& folder) const;

  FtpTimeouts timeouts_;
  std::chrono::steady_clock::time_point deadline_;
  std::unique_ptr<void, HandleDeleter> handle_;
  std::string base_address_;  // "ftp://host[:port]/" once connected
  std::string current_;
};

}  // namespace ringova
