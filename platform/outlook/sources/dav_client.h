// WebDAV requests over HTTP(S) for the address-book sync: one request, one answer, on the calling
// thread. Basic and Digest authentication (whichever the server asks for), redirects followed a
// few times and never from https to http, answers cut off beyond a size limit, and TLS either
// checked against the system's CAs or pinned to the server certificate's SHA-256 fingerprint.
// A failure comes back as a reason in plain words, never as an exception.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace platform::outlook::sources {

struct DavAccount {
  std::string user;  // empty: no authentication
  std::string password;
  // Empty: the system's CAs and the host name are checked. Otherwise the server certificate's
  // SHA-256 fingerprint (64 hex digits, colons optional) and nothing else is.
  std::string tls_pin;
};

struct DavLimits {
  std::size_t max_answer_bytes = 64u * 1024 * 1024;
  long max_redirects = 5;
  std::chrono::seconds connect_timeout{10};
  std::chrono::seconds total_timeout{120};
  // Set from any thread: the request under way ends at once (the host is quitting).
  std::shared_ptr<std::atomic<bool>> cancel;
};

struct DavRequest {
  std::string method;  // PROPFIND, REPORT, GET
  std::string url;
  std::string body;
  int depth = -1;  // the Depth header; -1 sends none
  std::string content_type = "application/xml; charset=utf-8";
};

enum class DavFailure {
  kNone,
  kNetwork,
  kTls,
  kAuthentication,
  kTooLarge,
  kRedirect,
  kStatus,
  kCancelled
};

struct DavAnswer {
  int status = 0;
  std::string body;
  std::string url;  // where the answer came from, after redirects
  DavFailure failure = DavFailure::kNone;
  std::string error;  // why, when failure is set
  bool ok() const { return failure == DavFailure::kNone; }
};

class DavClient {
 public:
  explicit DavClient(DavAccount account, DavLimits limits = {});
  ~DavClient();
  DavClient(const DavClient&) = delete;
  DavClient& operator=(const DavClient&) = delete;

  // A 2xx answer is ok; 401 fails as kAuthentication, other statuses as kStatus (the answer
  // keeps its status and body). 403 is not a wrong password: a server refuses a sync token so.
  DavAnswer Send(const DavRequest& request);

  // Sees every request before it is sent (a trace; a benchmark replays them with another client).
  void SetRequestObserver(std::function<void(const DavRequest&)> observer) {
    observer_ = std::move(observer);
  }

 private:
  struct Handle;
  DavAccount account_;
  DavLimits limits_;
  std::function<void(const DavRequest&)> observer_;
  std::unique_ptr<Handle> handle_;  // kept between requests: one connection, one Digest nonce
};

// The URL a reference in an answer stands for, relative to the URL it came from.
std::string ResolveUrl(const std::string& base, const std::string& reference);
// The path of a URL ("/user/contacts/"); the URL itself when it does not read.
std::string UrlPath(const std::string& url);

}  // namespace platform::outlook::sources
