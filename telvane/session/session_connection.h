#pragma once
// The connection of a session: a connected TCP socket and, in secure mode, the TLS channel over
// it. Every transfer is bounded; the socket stays non-blocking.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string_view>

#include "telvane/net/bsd_socket.h"
#include "telvane/net/tls_channel.h"

namespace telvane {

class SessionConnection {
 public:
  explicit SessionConnection(std::unique_ptr<BsdSocket> socket);
  // Shuts the channel down without waiting, then closes the socket.
  ~SessionConnection();
  SessionConnection(const SessionConnection&) = delete;
  SessionConnection& operator=(const SessionConnection&) = delete;

  // Adds the TLS channel that runs over the socket from now on.
  void secure(std::unique_ptr<TlsChannel> channel) { channel_ = std::move(channel); }
  const TlsChannel* channel() const { return channel_.get(); }

  BsdSocket& socket() { return *socket_; }
  int handle() const { return socket_->GetHandle(); }
  // Whether decrypted bytes wait that a readiness wait would not show.
  bool hasBufferedData() const;

  // Largest read: 64 KiB plain, 65,535 bytes through TLS.
  std::size_t maxRead() const;
  // Reads what has arrived. > 0: bytes read; 0: nothing yet; -1: the peer closed or it failed.
  int read(char* buffer, std::size_t size);
  // Waits at most `limit` for bytes, then reads as `read` does; 0 when nothing came in time.
  int readWithin(char* buffer, std::size_t size, std::chrono::milliseconds limit);
  // Writes all of `bytes` within `limit`; false on failure or time-out.
  bool write(std::string_view bytes, std::chrono::milliseconds limit);
  // Plain connections only: writes what the socket takes now, without waiting. The bytes written
  // (0 when the send buffer is full), or -1 on failure.
  int tryWrite(std::string_view bytes);
  // Sends the TLS close notification (waiting at most `limit` for the answer), then closes the
  // socket. The channel never outlives the open socket.
  void close(std::chrono::milliseconds limit);

 private:
  std::unique_ptr<BsdSocket> socket_;
  std::unique_ptr<TlsChannel> channel_;
};

}  // namespace telvane
