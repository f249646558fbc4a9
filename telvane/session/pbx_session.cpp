// Construction, destruction, connection and login of the session (owner thread).
#include "telvane/session/pbx_session.h"

#include <netinet/in.h>
#include <netinet/tcp.h>

#include "telvane/net/host_lookup.h"
#include "telvane/net/readiness.h"
#include "telvane/net/socket_errors.h"
#include "telvane/protocol/login.h"

namespace telvane {
namespace {

constexpr std::size_t kReadBufferSize = 65536;

}  // namespace

PbxSession::PbxSession(SessionOwner& owner, SessionConfig config)
    : owner_(owner), config_(std::move(config)), readBuffer_(kReadBufferSize) {
  // Errors are shown from here until the first connection socket exists, so a failed lookup in
  // the first Connect reaches the user.
  setShowSocketErrors(true);
  running_ = wake_.IsValid();
  thread_ = std::thread([this] { runLoop(); });
}

PbxSession::~PbxSession() {
  Disconnect();
  running_ = false;
  wakeLoop();
  thread_.join();
  // A connection whose login failed may still be open when the loop left.
  connection_.reset();
}

bool PbxSession::SetConnectionMode(bool secure) {
  if (!settledIdle()) return false;
  secure_ = secure;
  return true;
}

bool PbxSession::Configure(SessionConfig config) {
  if (!settledIdle()) return false;
  config_ = std::move(config);
  return true;
}

std::optional<CertificateFingerprint> PbxSession::peerFingerprint() const {
  return peerFingerprint_;
}

bool PbxSession::Connect(const std::string& host, std::uint16_t port, std::int32_t timeout,
                         const std::string& user, const std::string& password) {
  auto login = std::make_unique<AuthenticateMethod>();
  login->setCredentials(user, password);
  return connectAndLogin(host, port, timeout, std::move(login));
}

bool PbxSession::SConnect(const std::string& host, std::uint16_t port, std::int32_t timeout,
                          const std::string& user, const std::string& timestamp,
                          const std::string& authentication) {
  auto login = std::make_unique<SAuthenticateMethod>();
  login->setCredentials(user, timestamp, authentication);
  return connectAndLogin(host, port, timeout, std::move(login));
}

bool PbxSession::connectAndLogin(const std::string& host, std::uint16_t port, std::int32_t timeout,
                                 std::unique_ptr<XmlRpcRequestMethod> login) {
  if (!running_ || !settledIdle()) return false;
  auto connection = openConnection(host, port, timeout);
  if (!connection) return false;

  // Hand the connection to the receive thread.
  connection_ = std::move(connection);
  if (timeout > 0) timeout_ = timeout;
  connectStart_ = Clock::now();
  setState(SessionState::kConnecting);

  PendingRequest record;
  record.method = std::move(login);
  record.completion = std::make_shared<SyncCompletion>();
  auto completion = record.completion;
  enqueue(std::move(record), false);
  const auto response = completion->wait(syncWaitLimit());

  const auto* answer = dynamic_cast<const AuthenticateResponseMethod*>(response.get());
  if (answer != nullptr && !answer->isFault() && answer->accepted() &&
      changeState(SessionState::kConnected, SessionState::kLoggedIn)) {
    return true;
  }
  // The receive thread closes what is left; nobody waits for that.
  if (changeState(SessionState::kConnecting, SessionState::kClosing) ||
      changeState(SessionState::kConnected, SessionState::kClosing)) {
    wakeLoop();
  }
  return false;
}

std::unique_ptr<SessionConnection> PbxSession::openConnection(const std::string& host,
                                                              std::uint16_t port,
                                                              std::int32_t timeout) {
  sockaddr_in address{};
  if (!GetHostByName(host, address)) return nullptr;
  address = WithPort(address, port);

  auto socket = std::make_unique<BsdSocket>(false);
  if (!socket->CreateSocketEx(AF_INET, SOCK_STREAM, IPPROTO_TCP) ||
      !socket->ChangeMode(kNonBlockingMode) || !socket->ConnectEx(address)) {
    return nullptr;
  }
  // Requests and answers are small and each is written whole: waiting to coalesce them only
  // adds the peer's delayed acknowledgement to every round trip.
  const int on = 1;
  socket->SetOption(IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  auto connection = std::make_unique<SessionConnection>(std::move(socket));
  peerFingerprint_.reset();
  if (!secure_) return connection;

  // Secure: the TCP connect and the handshake finish here, so the receive thread never reads
  // from a channel that is not ready. Both are bounded by the time-out.
  const std::chrono::milliseconds limit(std::int64_t{timeout > 0 ? timeout : timeout_.load()} *
                                        1000);
  if (WaitForHandle(connection->handle(), true, limit) <= 0 ||
      connection->socket().GetPendingError() != 0) {
    return nullptr;
  }
  auto result =
      TlsChannel::Connect(tlsContext_, connection->socket(), config_.tlsPolicy, host, limit);
  if (!result) return nullptr;
  peerFingerprint_ = result.channel->PeerFingerprint();
  connection->secure(std::move(result.channel));
  return connection;
}

bool PbxSession::Disconnect() {
  if (!changeState(SessionState::kLoggedIn, SessionState::kClosing)) return false;
  wakeLoop();
  return settledIdle();
}

bool PbxSession::settledIdle() {
  const std::chrono::milliseconds limit(std::int64_t{timeout_.load()} * 1000 + 4900);
  std::unique_lock lock(stateMutex_);
  stateChanged_.wait_for(lock, limit, [this] { return state() != SessionState::kClosing; });
  return state() == SessionState::kIdle;
}

bool PbxSession::changeState(SessionState from, SessionState to) {
  std::lock_guard lock(stateMutex_);
  auto expected = static_cast<std::int32_t>(from);
  if (!state_.compare_exchange_strong(expected, static_cast<std::int32_t>(to))) return false;
  stateChanged_.notify_all();
  return true;
}

void PbxSession::setState(SessionState to) {
  std::lock_guard lock(stateMutex_);
  state_ = static_cast<std::int32_t>(to);
  stateChanged_.notify_all();
}

std::chrono::milliseconds PbxSession::syncWaitLimit() const {
  return std::chrono::milliseconds(std::int64_t{timeout_.load()} * 1000 + 5000);
}

void PbxSession::wakeLoop() {
  wake_.Signal();
}

bool PbxSession::enqueue(PendingRequest record, bool requireLoggedIn) {
  // Made before the lock, for a write by this thread. A request that will not serialize goes
  // the usual way, and the receive thread drops it.
  const bool direct = requireLoggedIn && !record.uploadFile && !secure_;
  if (direct && !record.method->serialize(record.text)) record.text.clear();
  std::lock_guard lock(queueMutex_);
  // Checked under the lock: the receive thread leaves kLoggedIn under it too, so no request
  // slips into the queue after the queue was failed.
  if (requireLoggedIn && state() != SessionState::kLoggedIn) return false;
  if (direct && !record.text.empty() && outgoingQueue_.empty() && writeThrough(record)) {
    return true;
  }
  outgoingQueue_.push_back(std::move(record));
  wakeLoop();
  return true;
}

bool PbxSession::writeThrough(PendingRequest& record) {
  // Lock held, queue empty: this request is next on the wire. Never through TLS (one SSL object
  // is not read and written from two threads at once).
  if (!connection_ || connection_->channel() != nullptr) return false;
  const int sent = connection_->tryWrite(record.text);
  // A failed write is the receive thread's to repeat and report, as for any request.
  if (sent <= 0) return false;
  record.written = static_cast<std::size_t>(sent);
  if (record.written < record.text.size()) return false;  // the rest when the socket drains
  record.sentTime = Clock::now();
  // The receive thread's next wait is bounded even with nothing awaiting, so this deadline is
  // seen in time without waking it.
  if (record.method->expectsResponse()) awaitingList_.push_back(std::move(record));
  return true;
}

}  // namespace telvane
