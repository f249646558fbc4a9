#include "platform/outlook/sources/ldap_connection.h"

#include <ldap.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <pthread.h>
#include <signal.h>
#include <sys/time.h>

#include <filesystem>
#include <optional>
#include <utility>

#include "platform/outlook/text_util.h"
#include "telvane/net/tls_policy.h"

namespace platform::outlook::sources {
namespace {

constexpr auto kPoll = std::chrono::milliseconds(200);
constexpr const char* kSystemCas = "/etc/ssl/certs/ca-certificates.crt";

timeval TimevalOf(std::chrono::milliseconds ms) {
  timeval tv{};
  tv.tv_sec = static_cast<time_t>(ms.count() / 1000);
  tv.tv_usec = static_cast<suseconds_t>((ms.count() % 1000) * 1000);
  return tv;
}

struct Message {
  LDAPMessage* value = nullptr;
  ~Message() {
    if (value) ldap_msgfree(value);
  }
};

struct Controls {
  LDAPControl** value = nullptr;
  ~Controls() {
    if (value) ldap_controls_free(value);
  }
};

struct BerText {
  char* value = nullptr;
  ~BerText() {
    if (value) ldap_memfree(value);
  }
};

// A server gone away makes the library's next write raise SIGPIPE, which would end the whole
// host; on this thread it is held back for the call and then taken off.
class SigpipeHeld {
 public:
  SigpipeHeld() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    sigset_t pending;
    sigemptyset(&pending);
    already_pending_ = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
    blocked_ = pthread_sigmask(SIG_BLOCK, &pipe_, &saved_) == 0;
  }
  ~SigpipeHeld() {
    if (!blocked_) return;
    sigset_t pending;
    sigemptyset(&pending);
    if (!already_pending_ && sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
      const timespec now{};
      sigtimedwait(&pipe_, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
  }
  SigpipeHeld(const SigpipeHeld&) = delete;
  SigpipeHeld& operator=(const SigpipeHeld&) = delete;

 private:
  sigset_t pipe_{}, saved_{};
  bool blocked_ = false, already_pending_ = false;
};

// Marks that the TCP connection stood, so a failed ldaps:// connect can be told from an
// unreachable server.
int NoteConnected(LDAP*, Sockbuf*, LDAPURLDesc*, sockaddr*, ldap_conncb* callback) {
  *static_cast<bool*>(callback->lc_arg) = true;
  return 0;
}
void NoteClosed(LDAP*, Sockbuf*, ldap_conncb*) {}

LdapEntry ReadEntry(LDAP* ld, LDAPMessage* message) {
  LdapEntry entry;
  if (BerText dn{ldap_get_dn(ld, message)}; dn.value) entry.dn = dn.value;
  BerElement* ber = nullptr;
  for (char* name = ldap_first_attribute(ld, message, &ber); name;
       name = ldap_next_attribute(ld, message, ber)) {
    BerText owned{name};
    std::string lower = ToLowerAscii(name);
    std::vector<std::string> values;
    if (berval** vals = ldap_get_values_len(ld, message, name)) {
      for (berval** v = vals; *v; ++v) values.emplace_back((*v)->bv_val, (*v)->bv_len);
      ldap_value_free_len(vals);
    }
    entry.attributes.emplace_back(std::move(lower), std::move(values));
  }
  if (ber) ber_free(ber, 0);
  return entry;
}

}  // namespace

const std::vector<std::string>* LdapEntry::Values(std::string_view lower_name) const {
  for (const auto& [name, values] : attributes)
    if (name == lower_name) return &values;
  return nullptr;
}

struct LdapConnection::Handle {
  LDAP* ld = nullptr;
  bool connected = false;
  ldap_conncb on_connect{NoteConnected, NoteClosed, &connected};
  ~Handle() {
    SigpipeHeld held;
    if (ld) ldap_unbind_ext_s(ld, nullptr, nullptr);
  }
  std::string Diagnostic() const {
    BerText text;
    ldap_get_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &text.value);
    return text.value && *text.value ? std::string(": ") + text.value : std::string();
  }
};

LdapConnection::LdapConnection(LdapAccount account, LdapLimits limits)
    : account_(std::move(account)), limits_(std::move(limits)) {}

LdapConnection::~LdapConnection() = default;

LdapResult LdapConnection::Fail(DavFailure failure, std::string error) {
  handle_.reset();  // nothing more goes to a server that failed us
  return {failure, std::move(error)};
}

LdapResult LdapConnection::Open() {
  SigpipeHeld held;
  handle_.reset();
  const bool ldaps = account_.url.starts_with("ldaps://");
  if (!ldaps && !account_.url.starts_with("ldap://"))
    return Fail(DavFailure::kStatus, "the address must start with ldap:// or ldaps://");
  std::optional<telvane::CertificateFingerprint> pin;
  if (!account_.tls_pin.empty()) {
    pin = telvane::ParseFingerprint(account_.tls_pin);
    if (!pin) return Fail(DavFailure::kTls, "the TLS pin is not a SHA-256 fingerprint");
  }
  if (!account_.bind_dn.empty() && account_.password.empty())
    return Fail(DavFailure::kAuthentication, "no password for " + account_.bind_dn);

  handle_ = std::make_unique<Handle>();
  if (ldap_initialize(&handle_->ld, account_.url.c_str()) != LDAP_SUCCESS || !handle_->ld)
    return Fail(DavFailure::kStatus, account_.url + " is not an LDAP address");
  LDAP* ld = handle_->ld;
  int version = LDAP_VERSION3;
  ldap_set_option(ld, LDAP_OPT_PROTOCOL_VERSION, &version);
  ldap_set_option(ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
  const timeval connect = TimevalOf(limits_.connect_timeout);
  ldap_set_option(ld, LDAP_OPT_NETWORK_TIMEOUT, &connect);
  ldap_set_option(ld, LDAP_OPT_TIMEOUT, &connect);  // the bind and StartTLS
  ldap_set_option(ld, LDAP_OPT_CONNECT_CB, &handle_->on_connect);
  // A pin stands in for the CA check and the host name; it is judged below, before the bind.
  int require = pin ? LDAP_OPT_X_TLS_NEVER : LDAP_OPT_X_TLS_HARD;
  ldap_set_option(ld, LDAP_OPT_X_TLS_REQUIRE_CERT, &require);
  if (!pin && std::filesystem::exists(kSystemCas))
    ldap_set_option(ld, LDAP_OPT_X_TLS_CACERTFILE, kSystemCas);
  int minimum = LDAP_OPT_X_TLS_PROTOCOL_TLS1_2;
  ldap_set_option(ld, LDAP_OPT_X_TLS_PROTOCOL_MIN, &minimum);
  int client = 0;
  if (ldap_set_option(ld, LDAP_OPT_X_TLS_NEWCTX, &client) != LDAP_OPT_SUCCESS)
    return Fail(DavFailure::kTls, "TLS cannot be set up" + handle_->Diagnostic());

  const int secured = ldaps ? ldap_connect(ld) : ldap_start_tls_s(ld, nullptr, nullptr);
  if (secured != LDAP_SUCCESS) {
    const std::string why = ldap_err2string(secured) + handle_->Diagnostic();
    if ((secured == LDAP_SERVER_DOWN || secured == LDAP_TIMEOUT) && !handle_->connected)
      return Fail(DavFailure::kNetwork, account_.url + " cannot be reached: " + why);
    if (!ldaps && secured > 0)  // the server answered StartTLS with a refusal
      return Fail(DavFailure::kTls, "the server refuses StartTLS: " + why);
    return Fail(DavFailure::kTls, "TLS failed: " + why);
  }
  if (pin) {
    berval der{};
    if (ldap_get_option(ld, LDAP_OPT_X_TLS_PEERCERT, &der) != LDAP_OPT_SUCCESS || !der.bv_val)
      return Fail(DavFailure::kTls, "the server shows no certificate");
    telvane::CertificateFingerprint seen{};
    unsigned int length = 0;
    const bool hashed =
        EVP_Digest(der.bv_val, der.bv_len, seen.data(), &length, EVP_sha256(), nullptr) == 1 &&
        length == seen.size();
    ber_memfree(der.bv_val);
    if (!hashed || CRYPTO_memcmp(seen.data(), pin->data(), seen.size()) != 0)
      return Fail(DavFailure::kTls, "the server's certificate (SHA-256 " +
                                        telvane::FormatFingerprint(seen) +
                                        ") does not match the pin");
  }
  if (account_.bind_dn.empty()) return {};
  berval password{};
  password.bv_val = account_.password.data();
  password.bv_len = account_.password.size();
  const int bound = ldap_sasl_bind_s(ld, account_.bind_dn.c_str(), LDAP_SASL_SIMPLE, &password,
                                     nullptr, nullptr, nullptr);
  if (bound == LDAP_SUCCESS) return {};
  if (bound == LDAP_INVALID_CREDENTIALS || bound == LDAP_INAPPROPRIATE_AUTH ||
      bound == LDAP_INVALID_DN_SYNTAX)
    return Fail(DavFailure::kAuthentication,
                "the directory refuses the bind DN " + account_.bind_dn + " or its password");
  if (bound == LDAP_SERVER_DOWN || bound == LDAP_TIMEOUT)
    return Fail(DavFailure::kNetwork, account_.url + " cannot be reached: " +
                                          ldap_err2string(bound) + handle_->Diagnostic());
  return Fail(DavFailure::kStatus,
              std::string("the bind fails: ") + ldap_err2string(bound) + handle_->Diagnostic());
}

LdapResult LdapConnection::Search(const std::string& base, const std::string& filter,
                                  const std::vector<std::string>& attributes,
                                  const std::function<void(LdapEntry)>& on_entry) {
  SigpipeHeld held;
  if (!handle_) return {DavFailure::kNetwork, "not connected"};
  LDAP* ld = handle_->ld;
  std::vector<char*> names;
  for (const std::string& a : attributes) names.push_back(const_cast<char*>(a.c_str()));
  names.push_back(nullptr);
  const auto deadline = std::chrono::steady_clock::now() + limits_.total_timeout;
  const auto cancelled = [this] { return limits_.cancel && limits_.cancel->load(); };
  std::size_t count = 0;
  berval cookie{};
  std::string cookie_bytes;
  while (true) {
    LDAPControl* page = nullptr;
    cookie.bv_val = cookie_bytes.empty() ? nullptr : cookie_bytes.data();
    cookie.bv_len = cookie_bytes.size();
    if (ldap_create_page_control(ld, limits_.page_size, cookie_bytes.empty() ? nullptr : &cookie, 1,
                                 &page) != LDAP_SUCCESS)
      return Fail(DavFailure::kStatus, "the paged search cannot be set up");
    LDAPControl* controls[] = {page, nullptr};
    const auto left = std::chrono::duration_cast<std::chrono::seconds>(
        deadline - std::chrono::steady_clock::now());
    timeval limit = TimevalOf(std::max(std::chrono::seconds(1), left));
    int id = 0;
    const int sent = ldap_search_ext(ld, base.c_str(), LDAP_SCOPE_SUBTREE, filter.c_str(),
                                     names.data(), 0, controls, nullptr, &limit, 0, &id);
    ldap_control_free(page);
    if (sent != LDAP_SUCCESS) {
      const std::string why = ldap_err2string(sent) + handle_->Diagnostic();
      return Fail(sent == LDAP_SERVER_DOWN ? DavFailure::kNetwork : DavFailure::kStatus,
                  "the search fails: " + why);
    }
    bool page_done = false;
    while (!page_done) {
      if (cancelled()) return Fail(DavFailure::kCancelled, "the sync was cancelled");
      if (std::chrono::steady_clock::now() > deadline)
        return Fail(DavFailure::kNetwork, "the directory did not answer within " +
                                              std::to_string(limits_.total_timeout.count()) + " s");
      Message message;
      timeval poll = TimevalOf(kPoll);
      const int kind = ldap_result(ld, id, LDAP_MSG_ONE, &poll, &message.value);
      if (kind == 0) continue;
      if (kind < 0)
        return Fail(DavFailure::kNetwork, account_.url + " went away: " + handle_->Diagnostic());
      if (kind == LDAP_RES_SEARCH_ENTRY) {
        if (++count > limits_.max_entries)
          return Fail(DavFailure::kTooLarge, "the directory holds more than " +
                                                 std::to_string(limits_.max_entries) + " entries");
        on_entry(ReadEntry(ld, message.value));
        continue;
      }
      if (kind != LDAP_RES_SEARCH_RESULT) continue;  // references are not followed
      int code = LDAP_SUCCESS;
      BerText text;
      Controls answer;
      if (ldap_parse_result(ld, message.value, &code, nullptr, &text.value, nullptr, &answer.value,
                            0) != LDAP_SUCCESS)
        return Fail(DavFailure::kNetwork, "the search's result does not read");
      const std::string detail = text.value && *text.value ? std::string(": ") + text.value : "";
      if (code == LDAP_SIZELIMIT_EXCEEDED)
        return Fail(DavFailure::kTooLarge,
                    "the directory stops at its size limit and does not page the rest" + detail);
      if (code == LDAP_NO_SUCH_OBJECT)
        return Fail(DavFailure::kStatus, "the base DN " + base + " is not in the directory");
      if (code == LDAP_ADMINLIMIT_EXCEEDED)
        return Fail(DavFailure::kStatus, "the directory refuses pages of " +
                                             std::to_string(limits_.page_size) + " entries" +
                                             detail);
      if (code == LDAP_UNAVAILABLE_CRITICAL_EXTENSION)
        return Fail(DavFailure::kStatus, "the directory does not offer paged results");
      if (code != LDAP_SUCCESS)
        return Fail(code == LDAP_TIMELIMIT_EXCEEDED ? DavFailure::kNetwork : DavFailure::kStatus,
                    std::string("the search fails: ") + ldap_err2string(code) + detail);
      cookie_bytes.clear();
      if (LDAPControl* response =
              ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, answer.value, nullptr)) {
        ber_int_t estimate = 0;
        berval next{};
        if (ldap_parse_pageresponse_control(ld, response, &estimate, &next) == LDAP_SUCCESS &&
            next.bv_val) {
          cookie_bytes.assign(next.bv_val, next.bv_len);
          ber_memfree(next.bv_val);
        }
      }
      page_done = true;
    }
    if (cookie_bytes.empty()) return {};
  }
}

}  // namespace platform::outlook::sources
