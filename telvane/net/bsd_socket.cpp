#include "telvane/net/bsd_socket.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <vector>

#include "telvane/net/host_lookup.h"
#include "telvane/net/socket_errors.h"

namespace telvane {
namespace {

constexpr int kLargestSecondsTimeout = 3600;
constexpr int kListenBacklog = 5;

const sockaddr* AsSockaddr(const sockaddr_in* address) {
  return reinterpret_cast<const sockaddr*>(address);
}
sockaddr* AsSockaddr(sockaddr_in* address) {
  return reinterpret_cast<sockaddr*>(address);
}

bool IsWouldBlock(int code) {
  return code == EAGAIN || code == EWOULDBLOCK;
}

// Codes that mean the peer or the network went away rather than a fault of ours.
bool IsPeerGone(int code) {
  switch (code) {
    case ENETDOWN:
    case ENETRESET:
    case ECONNABORTED:
    case ECONNRESET:
    case ENOTCONN:
    case ETIMEDOUT:
      return true;
    default:
      return false;
  }
}

std::size_t ClampLength(std::size_t length) {
  return std::min<std::size_t>(length, INT_MAX);
}

// The source address the routing table picks for `destination`: a UDP connect sends nothing.
bool RouteSourceTo(const sockaddr_in& destination, in_addr& source) {
  const int probe = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
  if (probe < 0) return false;
  sockaddr_in target = destination;
  if (target.sin_port == 0) target.sin_port = htons(9);
  sockaddr_in found{};
  socklen_t length = sizeof found;
  const bool ok = connect(probe, AsSockaddr(&target), sizeof target) == 0 &&
                  getsockname(probe, AsSockaddr(&found), &length) == 0;
  const int code = errno;
  close(probe);
  errno = code;
  if (ok) source = found.sin_addr;
  return ok;
}

}  // namespace

WaitLimit WaitLimitFromTimeout(int timeout) {
  if (timeout < 0) return std::nullopt;
  if (timeout <= kLargestSecondsTimeout) return std::chrono::seconds(timeout);
  return std::chrono::microseconds(timeout);
}

BsdSocket::BsdSocket(bool showErrors) {
  setShowSocketErrors(showErrors);
}

BsdSocket::~BsdSocket() {
  Close();
}

void BsdSocket::Fail(const char* operation, int code) {
  ReportSocketError(operation, code);
  Close();
}

bool BsdSocket::CreateHandle(int family, int type, int protocol, const char* failure) {
  if (handle_ >= 0) {
    ReportSocketError("Socket already created", 0);
    return false;
  }
  handle_ = socket(family, type | SOCK_CLOEXEC, protocol);
  if (handle_ < 0) {
    ReportSocketError(failure, errno);
    return false;
  }
  type_ = type;
  protocol_ = protocol;
  return true;
}

bool BsdSocket::BindHere(const sockaddr_in& address, const char* failure) {
  local_.address = address;
  if (bind(handle_, AsSockaddr(&local_.address), sizeof local_.address) != 0) {
    Fail(failure, errno);
    return false;
  }
  if (local_.address.sin_port == 0) ReadBackLocalAddress();
  return true;
}

bool BsdSocket::ReadBackLocalAddress() {
  sockaddr_in bound{};
  socklen_t length = sizeof bound;
  if (getsockname(handle_, AsSockaddr(&bound), &length) != 0) {
    ReportSocketError("Get self port", errno);
    return false;
  }
  local_.address = bound;
  return true;
}

void BsdSocket::CompleteLocalAddress() {
  // A successful read-back replaces the whole address, so the host lookup (which may ask a name
  // server) only runs when the read-back is not needed or failed; the result is the same.
  if (local_.address.sin_port == 0 && ReadBackLocalAddress()) return;
  if (local_.address.sin_addr.s_addr == 0) {
    std::vector<AddressRecord> addresses;
    if (GetLocalHost(addresses, nullptr) > 0) {
      local_.address.sin_addr = addresses[0].address.sin_addr;
    }
  }
}

bool BsdSocket::OpenTcp(bool server, const sockaddr_in& address, std::uint16_t localPort,
                        std::uint32_t localAddress) {
  if (!CreateHandle(AF_INET, SOCK_STREAM, IPPROTO_TCP, "Initialize TCP protocol")) return false;
  if (server) {
    // A server started again on its port must not wait for the old connections' TIME_WAIT.
    const int on = 1;
    setsockopt(handle_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (!BindHere(address, "Bind")) return false;
    if (listen(handle_, kListenBacklog) != 0) {
      Fail("Listen", errno);
      return false;
    }
  } else {
    if (localPort != 0) {
      sockaddr_in source = MakeSocketAddress(0, localPort);
      source.sin_addr.s_addr = localAddress;
      if (localAddress == 0 && !RouteSourceTo(address, source.sin_addr)) {
        Fail("Resolve route to server", errno);
        return false;
      }
      if (!BindHere(source, "Bind")) return false;
    }
    remote_.address = address;
    if (connect(handle_, AsSockaddr(&remote_.address), sizeof remote_.address) != 0) {
      Fail("Connect", errno);
      return false;
    }
  }
  CompleteLocalAddress();
  return true;
}

int BsdSocket::Accept(BsdSocket& client) {
  if (handle_ < 0) {
    ReportSocketError("Server not created", 0);
    return 0;
  }
  if (client.handle_ >= 0) {
    ReportSocketError("Not empty socket for Accept", 0);
    return 0;
  }
  sockaddr_in peer{};
  socklen_t length = sizeof peer;
  int accepted;
  do {
    accepted = accept4(handle_, AsSockaddr(&peer), &length, SOCK_CLOEXEC);
  } while (accepted < 0 && errno == EINTR);
  if (accepted < 0) {
    ReportSocketError("Accept", errno);
    return 0;
  }
  client.handle_ = accepted;
  client.mode_ = kBlockingMode;
  client.remote_ = AddressRecord{};
  client.remote_.address = peer;
  client.type_ = type_;
  client.protocol_ = protocol_;
  client.local_ = local_;
  return 1;
}

std::optional<int> BsdSocket::PrepareTransfer(bool forWrite, int timeout, const char* failedWait) {
  if (handle_ < 0) {
    ReportSocketError("Empty socket", 0);
    return 0;
  }
  if (mode_ != kBlockingMode) return std::nullopt;
  const int ready = WaitForHandle(handle_, forWrite, WaitLimitFromTimeout(timeout));
  if (ready > 0) return std::nullopt;
  if (ready == 0) {
    ReportSocketError(forWrite ? "Send timeout" : "Receive timeout", 0);
    return kTimedOut;
  }
  ReportSocketError(failedWait, errno);
  return kTransferFailed;
}

int BsdSocket::FinishSend(ssize_t sent, const char* operation) {
  if (sent >= 0) return static_cast<int>(sent);
  if (IsWouldBlock(errno)) return 0;
  ReportSocketError(operation, errno);
  return kTransferFailed;
}

int BsdSocket::Send(const void* data, std::size_t length, int timeout, int flags) {
  if (auto early = PrepareTransfer(true, timeout, "Send")) return *early;
  ssize_t sent;
  do {
    sent = send(handle_, data, ClampLength(length), flags | MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  return FinishSend(sent, "Send");
}

int BsdSocket::SendDatagram(const void* data, std::size_t length, const sockaddr_in* to,
                            int timeout, int flags) {
  if (auto early = PrepareTransfer(true, timeout, "SendDatagram")) return *early;
  if (to == nullptr && !remote_.IsEmpty()) to = &remote_.address;
  ssize_t sent;
  do {
    sent = sendto(handle_, data, ClampLength(length), flags | MSG_NOSIGNAL, AsSockaddr(to),
                  to == nullptr ? 0 : sizeof *to);
  } while (sent < 0 && errno == EINTR);
  return FinishSend(sent, "SendDatagram");
}

int BsdSocket::ReceiveInto(void* buffer, std::size_t size, sockaddr_in* from, int timeout,
                           int flags, const char* operation) {
  if (auto early = PrepareTransfer(false, timeout, operation)) return *early;
  iovec part{.iov_base = buffer, .iov_len = ClampLength(size)};
  sockaddr_in sender{};
  msghdr message{};
  message.msg_name = &sender;
  message.msg_namelen = sizeof sender;
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  ssize_t received;
  do {
    received = recvmsg(handle_, &message, flags);
  } while (received < 0 && errno == EINTR);

  if (received == 0) return kPeerGone;
  if (received > 0) {
    if ((message.msg_flags & MSG_TRUNC) != 0 && (flags & MSG_PEEK) != 0) {
      ReportSocketError(operation, EMSGSIZE);
      return kTransferFailed;
    }
    if (from != nullptr) *from = sender;
    return static_cast<int>(received);
  }
  const int code = errno;
  if (IsWouldBlock(code)) return 0;
  if (mode_ != kBlockingMode && IsPeerGone(code)) return kPeerGone;
  ReportSocketError(operation, code);
  return kTransferFailed;
}

int BsdSocket::Receive(void* buffer, std::size_t size, int timeout, int flags) {
  return ReceiveInto(buffer, size, nullptr, timeout, flags, "Receive");
}

int BsdSocket::ReceiveDatagram(void* buffer, std::size_t size, sockaddr_in* from, int timeout,
                               int flags) {
  return ReceiveInto(buffer, size, from, timeout, flags, "ReceiveDatagram");
}

int BsdSocket::SendAll(const void* data, std::size_t length, int timeout) {
  const auto* bytes = static_cast<const char*>(data);
  std::size_t written = 0;
  length = ClampLength(length);
  while (written < length) {
    const int sent = Send(bytes + written, length - written, timeout, 0);
    if (sent <= 0) break;
    written += static_cast<std::size_t>(sent);
  }
  return static_cast<int>(written);
}

bool BsdSocket::OpenUdp(const sockaddr_in* address) {
  if (!CreateHandle(AF_INET, SOCK_DGRAM, IPPROTO_UDP, "Initialize UDP protocol")) return false;
  return address == nullptr || BindHere(*address, "Bind");
}

void BsdSocket::SetPeerAddr(const sockaddr_in& address) {
  remote_ = AddressRecord{};
  remote_.address = address;
}

bool BsdSocket::CreateSocketEx(int family, int type, int protocol) {
  return CreateHandle(family, type, protocol, "CreateSocketEx");
}

bool BsdSocket::BindEx(const sockaddr_in& address) {
  return BindHere(address, "BindEx");
}

bool BsdSocket::ListenEx(int backlog) {
  if (listen(handle_, backlog) != 0) {
    Fail("ListenEx", errno);
    return false;
  }
  return true;
}

bool BsdSocket::ConnectEx(const sockaddr_in& address) {
  int result = connect(handle_, AsSockaddr(&address), sizeof address);
  int code = result == 0 ? 0 : errno;
  if (code == EINTR && mode_ == kBlockingMode) {
    // The connect goes on in the background; wait for its outcome instead of restarting it.
    WaitForHandle(handle_, true, std::nullopt);
    code = GetPendingError();
  }
  if (code != 0) {
    RecordSocketErrorCode(code);
    if (mode_ == kBlockingMode) {
      Fail("ConnectEx", code);
      return false;
    }
  }
  CompleteLocalAddress();
  return true;
}

bool BsdSocket::Close() {
  if (handle_ < 0) return true;
  // Linux releases the descriptor even when close reports an error, so the handle is never
  // kept: closing it again could close an unrelated descriptor that reused the number.
  const bool closed = close(handle_) == 0;
  handle_ = -1;
  mode_ = kBlockingMode;
  return closed;
}

bool BsdSocket::ChangeMode(int mode) {
  if (handle_ < 0) {
    ReportSocketError("Change mode for empty socket", 0);
    return false;
  }
  mode = mode == kBlockingMode ? kBlockingMode : kNonBlockingMode;
  if (mode == mode_) return true;
  const int flags = fcntl(handle_, F_GETFL);
  const int wanted = mode == kBlockingMode ? flags & ~O_NONBLOCK : flags | O_NONBLOCK;
  if (flags < 0 || fcntl(handle_, F_SETFL, wanted) != 0) {
    ReportSocketError("Change mode", errno);
    return false;
  }
  mode_ = mode;
  return true;
}

const AddressRecord& BsdSocket::GetPeerAddress(std::string* hostName) {
  if (remote_.IsEmpty()) GetPeerAddr(remote_, nullptr);
  if (hostName != nullptr) *hostName = GetHostByAddr(remote_.address).value_or(std::string());
  return remote_;
}

bool BsdSocket::GetPeerAddr(AddressRecord& address, std::string* hostName) {
  if (handle_ < 0) {
    ReportSocketError("Empty socket", 0);
    return false;
  }
  sockaddr_in peer{};
  socklen_t length = sizeof peer;
  if (getpeername(handle_, AsSockaddr(&peer), &length) != 0) {
    ReportSocketError("GetPeerAddr", errno);
    return false;
  }
  address = AddressRecord{};
  address.address = peer;
  if (hostName != nullptr) *hostName = GetHostByAddr(peer).value_or(std::string());
  return true;
}

const AddressRecord& BsdSocket::GetSelfAddress(std::string* hostName) {
  if (hostName != nullptr) *hostName = MachineName();
  return local_;
}

bool BsdSocket::CopySelfAddress(sockaddr_in& address, std::string* hostName) {
  address = local_.address;
  if (hostName != nullptr) *hostName = MachineName();
  return true;
}

bool BsdSocket::SetOption(int level, int option, const void* value, socklen_t length) {
  if (handle_ < 0) {
    ReportSocketError("Empty socket", 0);
    return false;
  }
  return setsockopt(handle_, level, option, value, length) == 0;
}

bool BsdSocket::GetOption(int level, int option, void* value, socklen_t* length) {
  if (handle_ < 0) {
    ReportSocketError("Empty socket", 0);
    return false;
  }
  return getsockopt(handle_, level, option, value, length) == 0;
}

int BsdSocket::GetPendingError() {
  if (handle_ < 0) return EBADF;
  int pending = 0;
  socklen_t length = sizeof pending;
  if (getsockopt(handle_, SOL_SOCKET, SO_ERROR, &pending, &length) != 0) return errno;
  return pending;
}

}  // namespace telvane
