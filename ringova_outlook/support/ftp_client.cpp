#include "ringova_outlook/support/ftp_client.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

#include "ringova_outlook/support/update_server.h"

namespace ringova {
namespace {

bool GlobalInit() {
  static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ok;
}

std::string Escaped(CURL* curl, std::string_view text) {
  char* escaped = curl_easy_escape(curl, text.data(), static_cast<int>(text.size()));
  if (escaped == nullptr) return {};
  std::string out(escaped);
  curl_free(escaped);
  return out;
}

// The folder reached from current by folder, as "/"-separated names.
std::string JoinFolder(const std::string& current, std::string_view folder) {
  std::string result = folder.starts_with('/') ? std::string() : current;
  std::size_t at = 0;
  while (at <= folder.size()) {
    std::size_t slash = folder.find('/', at);
    std::string_view name = folder.substr(at, slash - at);
    if (!name.empty()) {
      if (!result.empty()) result += '/';
      result += name;
    }
    if (slash == std::string_view::npos) break;
    at = slash + 1;
  }
  return result;
}

struct Download {
  int fd = -1;
  std::uintmax_t written = 0;
  bool too_large = false;
  int write_errno = 0;
};

std::size_t WriteChunk(char* data, std::size_t size, std::size_t count, void* user) {
  auto* download = static_cast<Download*>(user);
  std::size_t length = size * count;
  if (download->written + length > kMaxDownloadBytes) {
    download->too_large = true;
    return 0;
  }
  std::size_t done = 0;
  while (done < length) {
    ssize_t n = ::write(download->fd, data + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      download->write_errno = n < 0 ? errno : EIO;
      return 0;
    }
    done += static_cast<std::size_t>(n);
  }
  download->written += length;
  return length;
}

}  // namespace

void FtpClient::HandleDeleter::operator()(void* handle) const {
  curl_easy_cleanup(static_cast<CURL*>(handle));
}

FtpClient::FtpClient(FtpTimeouts timeouts) : timeouts_(timeouts) {}

FtpClient::~FtpClient() {
  Close();
}

InternetError FtpClient::Open(std::string_view agent) {
  Close();
  if (!GlobalInit()) return kInternetInternalError;
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return kInternetInternalError;
  handle_.reset(curl);
  deadline_ = std::chrono::steady_clock::now() + timeouts_.total;
  long connect_ms = static_cast<long>(timeouts_.connect.count());
  long call_ms = static_cast<long>(timeouts_.call.count());
  // The reply time-out also bounds the goodbye when the connection closes.
  long reply_seconds = std::max(1L, (call_ms + 999) / 1000);
  bool ok = curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
            curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp") == CURLE_OK &&
            curl_easy_setopt(curl, CURLOPT_USERAGENT, std::string(agent).c_str()) == CURLE_OK &&
            curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connect_ms) == CURLE_OK &&
            curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, reply_seconds) == CURLE_OK &&
            curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteChunk) == CURLE_OK;
  if (!ok) {
    handle_.reset();
    return kInternetInternalError;
  }
  return 0;
}

InternetError FtpClient::Connect(std::string_view host, std::uint16_t port) {
  if (!IsOpen()) return 12018;  // the session is not open: wrong handle
  base_address_.clear();
  current_.clear();
  if (!IsValidHostName(host)) return kInternetNameNotResolved;
  std::string base = "ftp://" + std::string(host);
  if (port != 0) base += ":" + std::to_string(port);
  base += "/";
  base_address_ = base;
  // The login itself: no file, no listing.
  int result = Request("", {}, false);
  if (result != CURLE_OK) {
    base_address_.clear();
    return InternetErrorForCurl(InternetCall::Connect, result);
  }
  return 0;
}

InternetError FtpClient::SetCurrentDirectory(std::string_view folder) {
  if (!IsConnected()) return 12018;
  std::string target = JoinFolder(current_, folder);
  int result = Request(target, {}, false);
  if (result != CURLE_OK) return InternetErrorForCurl(InternetCall::SetCurrentDirectory, result);
  current_ = target;
  return 0;
}

InternetError FtpClient::GetFile(std::string_view remote_name,
                                 const std::filesystem::path& local_path) {
  if (!IsConnected()) return 12018;
  CURL* curl = static_cast<CURL*>(handle_.get());
  Download download;
  download.fd =
      ::open(local_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (download.fd < 0) return SystemErrorForErrno(errno);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &download);
  curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 1L);
  int result = Request(current_, remote_name, true);
  curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
  bool closed = ::close(download.fd) == 0;
  InternetError error = 0;
  if (download.too_large) {
    error = kInternetOperationCancelled;
  } else if (download.write_errno != 0) {
    error = SystemErrorForErrno(download.write_errno);
  } else if (result != CURLE_OK) {
    error = InternetErrorForCurl(InternetCall::GetFile, result);
  } else if (!closed) {
    error = SystemErrorForErrno(errno);
  }
  if (error != 0) {
    std::error_code ignored;
    std::filesystem::remove(local_path, ignored);
  }
  return error;
}

void FtpClient::Close() {
  handle_.reset();
  base_address_.clear();
  current_.clear();
}

std::string FtpClient::FolderAddress(const std::string& folder) const {
  CURL* curl = static_cast<CURL*>(handle_.get());
  std::string address = base_address_;
  std::size_t at = 0;
  while (at < folder.size()) {
    std::size_t slash = folder.find('/', at);
    std::string_view name = std::string_view(folder).substr(at, slash - at);
    address += Escaped(curl, name) + "/";
    if (slash == std::string::npos) break;
    at = slash + 1;
  }
  return address;
}

int FtpClient::Request(const std::string& folder, std::string_view file, bool body) {
  CURL* curl = static_cast<CURL*>(handle_.get());
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline_ - std::chrono::steady_clock::now());
  if (left.count() <= 0) return CURLE_OPERATION_TIMEDOUT;
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS,
                   static_cast<long>(std::min(left, timeouts_.call).count()));
  std::string address = FolderAddress(folder);
  if (!file.empty()) address += Escaped(curl, file);
  curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
  curl_easy_setopt(curl, CURLOPT_NOBODY, body ? 0L : 1L);
  return curl_easy_perform(curl);
}

}  // namespace ringova
