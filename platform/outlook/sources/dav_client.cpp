#include "platform/outlook/sources/dav_client.h"

#include <curl/curl.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cstring>
#include <initializer_list>
#include <memory>

#include "telvane/net/tls_policy.h"

namespace platform::outlook::sources {
namespace {

bool GlobalInit() {
  static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ok;
}

struct Collect {
  std::string* body;
  std::size_t limit;
  bool too_large = false;
};

std::size_t WriteChunk(char* data, std::size_t size, std::size_t count, void* user) {
  auto* collect = static_cast<Collect*>(user);
  const std::size_t length = size * count;
  if (collect->body->size() + length > collect->limit) {
    collect->too_large = true;
    return 0;
  }
  collect->body->append(data, length);
  return length;
}

// The pin is checked in the handshake, so nothing is sent to a server that does not match.
struct PinCheck {
  telvane::CertificateFingerprint expected{};
  bool valid = false;
  std::string seen;  // the fingerprint that did not match
};

int VerifyPinned(int, X509_STORE_CTX* store) {
  if (X509_STORE_CTX_get_error_depth(store) != 0) return 1;  // only the server's own counts
  auto* ssl =
      static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
  auto* check = ssl ? static_cast<PinCheck*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl))) : nullptr;
  X509* cert = X509_STORE_CTX_get_current_cert(store);
  if (!check || !cert || !check->valid) return 0;
  telvane::CertificateFingerprint seen{};
  unsigned int length = 0;
  if (X509_digest(cert, EVP_sha256(), seen.data(), &length) != 1 || length != seen.size()) return 0;
  if (CRYPTO_memcmp(seen.data(), check->expected.data(), seen.size()) == 0) return 1;
  check->seen = telvane::FormatFingerprint(seen);
  return 0;
}

CURLcode SetUpPin(CURL*, void* ssl_ctx, void* check) {
  auto* ctx = static_cast<SSL_CTX*>(ssl_ctx);
  SSL_CTX_set_app_data(ctx, check);
  SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, VerifyPinned);
  return CURLE_OK;
}

int Progress(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<std::atomic<bool>*>(cancel)->load() ? 1 : 0;
}

bool IsTlsError(CURLcode code) {
  switch (code) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
      return true;
    default:
      return false;
  }
}

}  // namespace

struct DavClient::Handle {
  CURL* curl = nullptr;
  PinCheck pin;
  ~Handle() {
    if (curl) curl_easy_cleanup(curl);
  }
};

DavClient::DavClient(DavAccount account, DavLimits limits)
    : account_(std::move(account)), limits_(limits), handle_(std::make_unique<Handle>()) {
  if (GlobalInit()) handle_->curl = curl_easy_init();
  if (!account_.tls_pin.empty()) {
    if (auto parsed = telvane::ParseFingerprint(account_.tls_pin)) {
      handle_->pin.expected = *parsed;
      handle_->pin.valid = true;
    }
  }
}

DavClient::~DavClient() = default;

DavAnswer DavClient::Send(const DavRequest& request) {
  DavAnswer answer;
  CURL* curl = handle_->curl;
  if (!curl) {
    answer.failure = DavFailure::kNetwork;
    answer.error = "the HTTP library could not be started";
    return answer;
  }
  const bool secure = request.url.rfind("https://", 0) == 0;
  if (!secure && request.url.rfind("http://", 0) != 0) {
    answer.failure = DavFailure::kNetwork;
    answer.error = "only http and https addresses are supported: " + request.url;
    return answer;
  }
  if (!account_.tls_pin.empty() && !handle_->pin.valid) {
    answer.failure = DavFailure::kTls;
    answer.error = "the TLS pin is not a SHA-256 fingerprint";
    return answer;
  }

  if (observer_) observer_(request);
  curl_easy_reset(curl);
  Collect collect{&answer.body, limits_.max_answer_bytes};
  char error_text[CURL_ERROR_SIZE] = {};
  curl_slist* headers = nullptr;
  if (!request.content_type.empty())
    headers = curl_slist_append(headers, ("Content-Type: " + request.content_type).c_str());
  if (request.depth >= 0)
    headers = curl_slist_append(headers, ("Depth: " + std::to_string(request.depth)).c_str());
  std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> header_list(headers,
                                                                          curl_slist_free_all);

  curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  if (!request.body.empty() || request.method != "GET") {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(curl, CURLOPT_POSTREDIR, static_cast<long>(CURL_REDIR_POST_ALL));
  }
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, limits_.max_redirects);
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteChunk);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &collect);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error_text);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT,
                   static_cast<long>(limits_.connect_timeout.count()));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(limits_.total_timeout.count()));
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
  if (limits_.cancel) {
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, limits_.cancel.get());
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  }
  if (!account_.user.empty()) {
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC | CURLAUTH_DIGEST));
    curl_easy_setopt(curl, CURLOPT_USERNAME, account_.user.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, account_.password.c_str());
  }
  if (!account_.tls_pin.empty()) {
    handle_->pin.seen.clear();
    // The pin stands in for the CA check and the host name; the callback does the judging.
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, SetUpPin);
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, &handle_->pin);
    curl_easy_setopt(curl, CURLOPT_SSL_SESSIONID_CACHE, 0L);
  }

  const CURLcode code = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  answer.status = static_cast<int>(status);
  char* effective = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
    answer.url = effective;
  else
    answer.url = request.url;

  const std::string detail = error_text[0] ? std::string(error_text) : curl_easy_strerror(code);
  if (code == CURLE_OK) {
    if (status == 401) {
      answer.failure = DavFailure::kAuthentication;
      answer.error =
          "the server refused the user name or password (HTTP " + std::to_string(status) + ")";
    } else if (status < 200 || status >= 300) {
      answer.failure = DavFailure::kStatus;
      answer.error = "the server answered HTTP " + std::to_string(status) + " to " +
                     request.method + " " + answer.url;
    }
  } else if (code == CURLE_ABORTED_BY_CALLBACK) {
    answer.failure = DavFailure::kCancelled;
    answer.error = "the sync was cancelled";
  } else if (collect.too_large) {
    answer.failure = DavFailure::kTooLarge;
    answer.error = "the answer is larger than " +
                   std::to_string(limits_.max_answer_bytes / (1024 * 1024)) + " MiB";
  } else if (code == CURLE_TOO_MANY_REDIRECTS) {
    answer.failure = DavFailure::kRedirect;
    answer.error = "more than " + std::to_string(limits_.max_redirects) + " redirects";
  } else if (code == CURLE_UNSUPPORTED_PROTOCOL && answer.url != request.url) {
    answer.failure = DavFailure::kRedirect;
    answer.error = "a redirect from https to http was refused";
  } else if (!handle_->pin.seen.empty()) {
    answer.failure = DavFailure::kTls;
    answer.error =
        "the server's certificate (SHA-256 " + handle_->pin.seen + ") does not match the pin";
  } else if (IsTlsError(code)) {
    answer.failure = DavFailure::kTls;
    answer.error = "TLS failed: " + detail;
  } else {
    answer.failure = DavFailure::kNetwork;
    answer.error = detail;
  }
  return answer;
}

namespace {

struct UrlCloser {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

// One part of `url` read after `steps` were set in order; `fallback` when any of them fails.
std::string UrlPart(std::initializer_list<const std::string*> steps, CURLUPart part,
                    const std::string& fallback) {
  std::unique_ptr<CURLU, UrlCloser> url(curl_url());
  if (!url) return fallback;
  for (const std::string* step : steps) {
    if (curl_url_set(url.get(), CURLUPART_URL, step->c_str(), 0) != CURLUE_OK) return fallback;
  }
  char* text = nullptr;
  if (curl_url_get(url.get(), part, &text, 0) != CURLUE_OK || !text) return fallback;
  std::string out = text;
  curl_free(text);
  return out;
}

}  // namespace

std::string ResolveUrl(const std::string& base, const std::string& reference) {
  return UrlPart({&base, &reference}, CURLUPART_URL, reference);
}

std::string UrlPath(const std::string& url) {
  return UrlPart({&url}, CURLUPART_PATH, url);
}

}  // namespace platform::outlook::sources
