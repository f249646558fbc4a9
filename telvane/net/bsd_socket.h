// BsdSocket: one IPv4 socket (TCP client or server, or UDP) with its local and remote addresses,
// blocking or non-blocking mode, and transfers bounded by a time-out.
//
// Time-outs of the transfer operations: a count of seconds when at most 3600, a count of
// microseconds when larger, no limit when negative (kNoTimeLimit). Only in blocking mode is the
// socket waited for before a transfer; in non-blocking mode the transfer is tried at once.
//
// Results of Send, Receive, SendDatagram and ReceiveDatagram:
//   > 0             bytes transferred
//   0               no handle ("Empty socket" reported), or non-blocking and would block
//   kPeerGone       receives only: the peer closed the connection, or (non-blocking) the network
//                   or the connection went away (ENETDOWN, ENETRESET, ECONNABORTED, ECONNRESET,
//                   ENOTCONN, ETIMEDOUT); nothing reported
//   kTimedOut       the blocking wait ended without readiness ("Send timeout"/"Receive timeout")
//   kTransferFailed any other error, reported with the operation's text
// A datagram larger than the buffer fills the buffer; when only peeking it is kTransferFailed.
//
// Every failure is reported through socket_errors.h; nothing throws. Each construction sets the
// process-wide show-errors switch to its argument. Sockets are close-on-exec and sends never
// raise SIGPIPE. One thread at a time may use an object; the handle may be watched (readiness.h)
// by the thread that uses it.
#ifndef TELVANE_NET_BSD_SOCKET_H_
#define TELVANE_NET_BSD_SOCKET_H_

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "telvane/net/address_record.h"
#include "telvane/net/readiness.h"

namespace telvane {

inline constexpr int kNoTimeLimit = -1;
inline constexpr int kPeerGone = -1;
inline constexpr int kTimedOut = -2;
inline constexpr int kTransferFailed = -3;

inline constexpr int kBlockingMode = 1;
inline constexpr int kNonBlockingMode = 0;

// The wait a transfer time-out stands for (see above).
WaitLimit WaitLimitFromTimeout(int timeout);

// Operations are virtual so that tests of the layers above can stand in for the network.
class BsdSocket {
 public:
  explicit BsdSocket(bool showErrors);
  virtual ~BsdSocket();
  BsdSocket(const BsdSocket&) = delete;
  BsdSocket& operator=(const BsdSocket&) = delete;

  // TCP socket. Server: binds to `address` and listens (backlog 5). Client: when `localPort` is
  // not 0, binds first to it on `localAddress` (network byte order; 0: the address whose route
  // leads to `address`), then connects to `address` (blocking). The local address is completed
  // afterwards as by ConnectEx.
  virtual bool OpenTcp(bool server, const sockaddr_in& address, std::uint16_t localPort = 0,
                       std::uint32_t localAddress = 0);
  // Accepts one connection into `client`, which must have no handle; the client gets the peer as
  // remote address and this socket's type, protocol and local address. 1 on success, else 0.
  virtual int Accept(BsdSocket& client);
  virtual int Send(const void* data, std::size_t length, int timeout, int flags);
  virtual int Receive(void* buffer, std::size_t size, int timeout, int flags);
  // Repeats Send on the rest until everything is written or a Send writes nothing or fails;
  // returns the bytes written.
  virtual int SendAll(const void* data, std::size_t length, int timeout);

  // UDP socket; with an address, binds to it (port 0: the system chooses and it is read back).
  virtual bool OpenUdp(const sockaddr_in* address);
  virtual void SetPeerAddr(const sockaddr_in& address);
  // Sends to `to`, or to the remote address when null (the connected peer when that is empty).
  virtual int SendDatagram(const void* data, std::size_t length, const sockaddr_in* to, int timeout,
                           int flags);
  // Receives one datagram; stores the sender in `from` when given.
  virtual int ReceiveDatagram(void* buffer, std::size_t size, sockaddr_in* from, int timeout,
                              int flags);

  virtual bool CreateSocketEx(int family, int type, int protocol);
  virtual bool BindEx(const sockaddr_in& address);
  virtual bool ListenEx(int backlog);
  // Connects. Blocking: a failure is reported, the socket closed and false returned.
  // Non-blocking: returns true once the connect has started; its outcome is seen by waiting for
  // the handle to become writable and then reading GetPendingError. The remote address field is
  // left as it is.
  virtual bool ConnectEx(const sockaddr_in& address);
  // Releases the handle; the mode returns to blocking. True when there was nothing to close.
  virtual bool Close();
  // kBlockingMode (1) or anything else for non-blocking.
  virtual bool ChangeMode(int mode);

  // The remote address, read from the system first when still empty; with a text, also the
  // peer's host name (empty when it has none).
  virtual const AddressRecord& GetPeerAddress(std::string* hostName);
  virtual bool GetPeerAddr(AddressRecord& address, std::string* hostName);
  // The local address; with a text, also this machine's host name.
  virtual const AddressRecord& GetSelfAddress(std::string* hostName);
  virtual bool CopySelfAddress(sockaddr_in& address, std::string* hostName);

  virtual bool SetOption(int level, int option, const void* value, socklen_t length);
  virtual bool GetOption(int level, int option, void* value, socklen_t* length);
  virtual int GetType() const { return type_; }
  virtual int GetProtocol() const { return protocol_; }
  // Local port in host byte order.
  virtual std::uint16_t GetSelfPort() const { return PortOf(local_.address); }

  // The system handle for readiness waits; -1 while closed. Transfers go through this object.
  int GetHandle() const { return handle_; }
  int GetMode() const { return mode_; }
  // The error pending on the socket (errno value; 0 none), which also clears it: the outcome of a
  // non-blocking connect once the handle is writable. EBADF without a handle.
  int GetPendingError();

 private:
  // Before a transfer: "Empty socket" (0) or, in blocking mode, the wait. No value means go on.
  std::optional<int> PrepareTransfer(bool forWrite, int timeout, const char* failedWait);
  int FinishSend(ssize_t sent, const char* operation);
  int ReceiveInto(void* buffer, std::size_t size, sockaddr_in* from, int timeout, int flags,
                  const char* operation);
  bool CreateHandle(int family, int type, int protocol, const char* failure);
  bool BindHere(const sockaddr_in& address, const char* failure);
  bool ReadBackLocalAddress();
  void CompleteLocalAddress();
  void Fail(const char* operation, int code);

  int handle_ = -1;
  AddressRecord local_;
  AddressRecord remote_;
  int type_ = -1;
  int protocol_ = -1;
  int mode_ = kBlockingMode;
};

}  // namespace telvane

#endif  // TELVANE_NET_BSD_SOCKET_H_
