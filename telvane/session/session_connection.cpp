#include "telvane/session/session_connection.h"

#include <sys/socket.h>

#include <algorithm>

#include "telvane/net/readiness.h"

namespace telvane {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxPlainRead = 65536;

}  // namespace

SessionConnection::SessionConnection(std::unique_ptr<BsdSocket> socket)
    : socket_(std::move(socket)) {}

SessionConnection::~SessionConnection() {
  close(std::chrono::milliseconds(0));
}

bool SessionConnection::hasBufferedData() const {
  return channel_ && channel_->HasBufferedData();
}

std::size_t SessionConnection::maxRead() const {
  return channel_ ? TlsChannel::kMaxRead : kMaxPlainRead;
}

int SessionConnection::read(char* buffer, std::size_t size) {
  size = std::min(size, maxRead());
  if (channel_) return channel_->Read(buffer, size);
  const int got = socket_->Receive(buffer, size, 0, 0);
  return got >= 0 ? got : -1;
}

int SessionConnection::readWithin(char* buffer, std::size_t size, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  for (;;) {
    if (!hasBufferedData()) {
      const int ready = WaitForHandle(handle(), false, TimeLeft(deadline));
      if (ready < 0) return -1;
      if (ready == 0) return 0;
    }
    const int got = read(buffer, size);
    // A TLS record may arrive in pieces: readable, yet nothing to hand out.
    if (got != 0 || TimeLeft(deadline).count() == 0) return got;
  }
}

bool SessionConnection::write(std::string_view bytes, std::chrono::milliseconds limit) {
  if (handle() < 0) return false;
  if (channel_) return channel_->Write(bytes.data(), bytes.size(), limit);
  const auto deadline = Clock::now() + limit;
  while (!bytes.empty()) {
    const int sent = socket_->Send(bytes.data(), bytes.size(), 0, 0);
    if (sent < 0) return false;
    if (sent > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
      continue;
    }
    // The send buffer is full: wait until it drains.
    if (WaitForHandle(handle(), true, TimeLeft(deadline)) <= 0) return false;
  }
  return true;
}

int SessionConnection::tryWrite(std::string_view bytes) {
  if (handle() < 0 || channel_) return -1;
  const int sent = socket_->Send(bytes.data(), bytes.size(), 0, MSG_DONTWAIT);
  return sent >= 0 ? sent : -1;
}

void SessionConnection::close(std::chrono::milliseconds limit) {
  if (channel_) {
    if (handle() >= 0) channel_->Shutdown(limit);
    channel_.reset();
  }
  socket_->Close();
}

}  // namespace telvane
