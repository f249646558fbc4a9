// The receive thread: connect completion, reading, message extraction and routing, writing
// queued requests, time-outs and closes.
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

#include "telvane/net/readiness.h"
#include "telvane/protocol/method_factory.h"
#include "telvane/session/pbx_session.h"
#include "telvane/xmlrpc/method_table.h"

namespace telvane {
namespace {

// Bytes without a terminator beyond which the peer is taken as broken.
constexpr std::size_t kMaxPendingBytes = std::size_t{16} << 20;
constexpr std::size_t kUploadChunk = 1024;
// The PBX's go-ahead for an upload, as text up to its first zero byte.
constexpr std::string_view kGoAhead = "OK";
// How long a local close waits for the PBX's answer to the TLS close notification.
constexpr std::chrono::milliseconds kLocalCloseLimit(1000);

const std::string kRequestTimeoutText = "Request timeout";
const std::string kClosedLocallyText = "Connection closed locally";
const std::string kClosedRemotelyText = "Connection closed remotely";
const std::string kConnectTimeoutText = "Connection timeout";

}  // namespace

// What the last wait reported.
struct PbxSession::Readiness {
  bool wake = false;
  bool readable = false;
  bool writable = false;
  bool failed = false;
};

// What the next wait watches, and when it ends at the latest.
struct PbxSession::PassPlan {
  bool watchRead = false;
  bool watchWrite = false;
  std::optional<Clock::time_point> deadline;

  void endBy(Clock::time_point when) {
    if (!deadline || when < *deadline) deadline = when;
  }
};

void PbxSession::runLoop() {
  Readiness ready;
  for (;;) {
    if (ready.wake) wake_.Drain();
    // Looked at after the drain: the destructor clears the flag before it signals, so a stop is
    // either seen here or still signalled for the wait below, never drained unseen.
    if (!running_) break;
    PassPlan plan;
    switch (state()) {
      case SessionState::kConnecting:
        serveConnecting(ready, plan);
        break;
      case SessionState::kConnected:
      case SessionState::kLoggedIn:
        serveConnection(ready, plan);
        break;
      case SessionState::kClosing:
        closeLocally();
        break;
      case SessionState::kIdle:
        break;
    }

    // The connection is looked at only when this pass watched it: then this thread holds it.
    WatchedHandle handles[2];
    handles[0].handle = wake_.GetHandle();
    handles[0].wantRead = true;
    if (plan.watchRead || plan.watchWrite) {
      handles[1].handle = connection_->handle();
      handles[1].wantRead = plan.watchRead;
      handles[1].wantWrite = plan.watchWrite;
    }
    WaitLimit limit;
    if (plan.deadline) {
      const auto left = std::chrono::ceil<std::chrono::microseconds>(*plan.deadline - Clock::now());
      limit = std::max(left, std::chrono::microseconds(0));
    }
    ready = {};
    if (WaitForHandles(handles, limit) > 0) {
      ready.wake = handles[0].readable;
      ready.readable = handles[1].readable;
      ready.writable = handles[1].writable;
      ready.failed = handles[1].failed;
    }
    // The host's handlers of the last batch have run before anything else happens.
    settleDelivery();
  }
}

void PbxSession::serveConnecting(const Readiness& ready, PassPlan& plan) {
  if (ready.writable || ready.failed) {
    // Writable with an error pending: the connect failed (refused, unreachable).
    if (connection_->socket().GetPendingError() != 0) {
      endConnectAttempt();
      return;
    }
    const int on = 1;
    connection_->socket().SetOption(SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    if (changeState(SessionState::kConnecting, SessionState::kConnected)) {
      serveConnection(Readiness{}, plan);
    }
    return;
  }
  const auto deadline = connectStart_ + requestTimeout();
  if (Clock::now() >= deadline) {
    endConnectAttempt();
    return;
  }
  plan.watchWrite = true;
  plan.endBy(deadline);
}

void PbxSession::serveConnection(const Readiness& ready, PassPlan& plan) {
  sendPending();
  if (ready.readable || ready.failed || connection_->hasBufferedData()) {
    if (!readConnection()) {
      failAll(kClosedRemotelyCode, kClosedRemotelyText);
      closeRemotely();
      return;
    }
  }
  if (framer_.pendingBytes() >= kMaxPendingBytes) {
    deliverBatch();
    settleDelivery();
    failAll(kClosedRemotelyCode, kClosedRemotelyText);
    closeRemotely();
    return;
  }
  plan.watchRead = true;
  sendPending();
  // An upload may have kept bytes that followed its acknowledgements.
  extractMessages();
  checkRequestTimeout(plan);
  // Decrypted bytes a wait would not show: come back at once.
  if (connection_->hasBufferedData()) plan.endBy(Clock::now());
  // Last in the pass: this thread waits for the host's handlers in its next wait, which what
  // they queue ends and what they write is planned for.
  deliverBatch();
}

void PbxSession::endConnectAttempt() {
  failAll(kConnectTimeoutCode, kConnectTimeoutText);
  dropConnection(std::chrono::milliseconds(0));
  settleIdle();
}

void PbxSession::closeLocally() {
  failAll(kClosedLocallyCode, kClosedLocallyText);
  dropConnection(kLocalCloseLimit);
  settleIdle();
}

void PbxSession::closeRemotely() {
  dropConnection(std::chrono::milliseconds(0));
  settleIdle();
  if (owner_.canReceive()) owner_.deliver(DisconnectedNotification{});
}

void PbxSession::dropConnection(std::chrono::milliseconds tlsLimit) {
  std::unique_ptr<SessionConnection> connection;
  {
    // The owner's thread may be writing a request on it.
    std::lock_guard lock(queueMutex_);
    connection.swap(connection_);
  }
  if (connection) connection->close(tlsLimit);
  // A new connection never sees the tail of this one.
  framer_ = MessageFramer{};
  handshake_.close();
  held_.clear();
  heldBytes_ = 0;
}

void PbxSession::settleIdle() {
  std::deque<PendingRequest> leftovers, written;
  {
    std::lock_guard lock(queueMutex_);
    setState(SessionState::kIdle);
    leftovers.swap(outgoingQueue_);
    // Written by the owner's thread after the lists were failed: never paired with the next
    // connection's answers.
    written.swap(awaitingList_);
  }
  for (auto& record : leftovers) record.fail();
  for (auto& record : written) record.fail();
}

void PbxSession::sendPending() {
  while (sendOne()) {
  }
}

bool PbxSession::sendOne() {
  std::unique_lock lock(queueMutex_);
  if (outgoingQueue_.empty()) return false;
  PendingRequest& next = outgoingQueue_.front();
  if (next.text.empty() && !next.method->serialize(next.text)) {
    // Nothing can be sent for it: its caller learns at once.
    PendingRequest dropped = std::move(next);
    outgoingQueue_.pop_front();
    lock.unlock();
    dropped.fail();
    return true;
  }
  const bool written =
      connection_->write(std::string_view(next.text).substr(next.written), requestTimeout());
  if (written && next.uploadFile) upload(next);
  next.sentTime = Clock::now();
  PendingRequest sent = std::move(next);
  outgoingQueue_.pop_front();
  // A request whose write failed still awaits: the close that follows, or its time-out, fails
  // it and releases its caller.
  if (sent.method->expectsResponse()) awaitingList_.push_back(std::move(sent));
  return true;
}

void PbxSession::upload(PendingRequest& record) {
  const auto limit = std::chrono::duration_cast<std::chrono::milliseconds>(requestTimeout());
  // Until this request's answer, bytes between messages are handshake, never part of a message.
  handshake_.open(framer_.pending());
  // The lock is held: the answers due before this request's are those awaited now.
  const std::size_t answersAhead = awaitingList_.size();
  // No go-ahead (a refusal, or the answer straight away): nothing is uploaded.
  if (awaitHandshake(kGoAhead.size(), answersAhead, limit) != HandshakeWait::kText) return;
  if (std::string_view(handshake_.text().c_str()) != kGoAhead) return;
  char chunk[kUploadChunk];
  std::uint32_t left = record.uploadSize;
  while (left > 0) {
    // A close asked for meanwhile (Disconnect, teardown) ends the upload: a slow PBX must not
    // hold the close for the rest of the file.
    if (state() == SessionState::kClosing || !running_) break;
    const std::size_t want = std::min<std::size_t>(left, sizeof chunk);
    const std::size_t read = std::fread(chunk, 1, want, record.uploadFile.get());
    if (read == 0) break;
    handshake_.clearText();
    if (!connection_->write(std::string_view(chunk, read), limit)) break;
    left -= static_cast<std::uint32_t>(read);
    // The acknowledgement's content does not matter. A PBX that stops acknowledging ends the
    // upload, so the loop is never held longer than one time-out per step.
    if (awaitHandshake(1, answersAhead, limit) != HandshakeWait::kText) break;
  }
}

PbxSession::HandshakeWait PbxSession::awaitHandshake(std::size_t wanted, std::size_t answersAhead,
                                                     std::chrono::milliseconds limit) {
  // Messages that come meanwhile are held for routing after the upload, and the wait goes on.
  // The text is complete once it reaches `wanted` bytes, holds its zero padding or a message
  // follows it.
  const auto deadline = Clock::now() + limit;
  std::size_t answers = 0;
  for (;;) {
    while (const auto message = framer_.next()) {
      if (parsePbxMethodCall(*message).kind == ParsedCall::Kind::kNone) ++answers;
      heldBytes_ += message->size();
      held_.emplace_back(*message);
    }
    if (answers > answersAhead) return HandshakeWait::kAnswered;
    const std::string& text = handshake_.text();
    if (text.size() >= wanted || text.find('\0') != std::string::npos ||
        (!text.empty() && handshake_.messageAfterText())) {
      return HandshakeWait::kText;
    }
    if (state() == SessionState::kClosing || !running_) return HandshakeWait::kFailed;
    // A flood meanwhile ends the upload; the passes after it drop such a peer.
    if (heldBytes_ + framer_.pendingBytes() >= kMaxPendingBytes) return HandshakeWait::kFailed;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return HandshakeWait::kFailed;
    const int got = connection_->readWithin(readBuffer_.data(), readBuffer_.size(), left);
    if (got <= 0) return HandshakeWait::kFailed;
    handshake_.feed(std::string_view(readBuffer_.data(), static_cast<std::size_t>(got)), framer_);
  }
}

void PbxSession::takeBytes(std::string_view bytes) {
  if (handshake_.isOpen()) {
    handshake_.feed(bytes, framer_);
  } else {
    framer_.append(bytes);
  }
}

bool PbxSession::readConnection() {
  const int got = connection_->read(readBuffer_.data(), readBuffer_.size());
  if (got < 0) return false;
  if (got > 0) {
    takeBytes(std::string_view(readBuffer_.data(), static_cast<std::size_t>(got)));
    extractMessages();
  }
  return true;
}

void PbxSession::extractMessages() {
  // Their notifications wait for the end of the pass (deliverBatch).
  batching_ = true;
  // Messages held during an upload (one a handler's request may start) came first.
  for (;;) {
    if (!held_.empty()) {
      const std::string message = std::move(held_.front());
      held_.pop_front();
      heldBytes_ -= message.size();
      routeMessage(message);
      continue;
    }
    const auto message = framer_.next();
    if (!message) break;
    routeMessage(*message);
  }
  batching_ = false;
}

void PbxSession::routeMessage(std::string_view text) {
  ParsedCall parsed = parsePbxMethodCall(text);
  switch (parsed.kind) {
    case ParsedCall::Kind::kNone:
      handleResponse(text);
      break;
    case ParsedCall::Kind::kUnknown:
      writeMessage(*makeUnknownMethodFault());
      break;
    case ParsedCall::Kind::kCall:
      handleIncomingCall(std::move(parsed.method));
      break;
  }
}

void PbxSession::handleResponse(std::string_view text) {
  const XmlRpcMethod* oldest = nullptr;
  {
    std::lock_guard lock(queueMutex_);
    if (awaitingList_.empty()) return;
    oldest = awaitingList_.front().method.get();
  }
  // Only this thread takes records off the list, so the oldest stays first meanwhile.
  const auto* request = dynamic_cast<const XmlRpcRequestMethod*>(oldest);
  std::unique_ptr<XmlRpcResponseMethod> response;
  if (request != nullptr) {
    response = request->parseResponse(text);
    // An answer that does not parse is dropped; the request stays first and times out.
    if (!response) return;
  }
  PendingRequest record;
  {
    std::lock_guard lock(queueMutex_);
    record = std::move(awaitingList_.front());
    awaitingList_.pop_front();
  }
  // The PBX answers an upload after its last acknowledgement.
  if (record.uploadFile) handshake_.close();
  if (!response) return;
  if (record.isSynchronous()) {
    record.completion->complete(std::move(response));
  } else {
    response->dispatch(*this);
  }
  sendPending();
}

void PbxSession::handleIncomingCall(std::unique_ptr<XmlRpcRequestMethod> call) {
  // Answered at once, except the offered call: the host answers that one.
  if (call->type() != kProcess) {
    if (auto reply = call->createResponse(false)) {
      reply->setId(call->idNumber());
      writeMessage(*reply);
    }
  }
  call->dispatch(*this);
  sendPending();
}

bool PbxSession::writeMessage(const XmlRpcMethod& message) {
  std::string text;
  if (!message.serialize(text)) return false;
  for (;;) {
    std::unique_lock lock(queueMutex_);
    // The rest of a request the owner's thread began goes first: nothing may split it.
    if (outgoingQueue_.empty() || outgoingQueue_.front().written == 0) {
      return connection_->write(text, requestTimeout());
    }
    lock.unlock();
    sendOne();
  }
}

void PbxSession::checkRequestTimeout(PassPlan& plan) {
  const auto now = Clock::now();
  std::unique_lock lock(queueMutex_);
  if (!awaitingList_.empty()) {
    const PendingRequest& oldest = awaitingList_.front();
    if (oldest.sentTime && now - *oldest.sentTime >= requestTimeout()) {
      PendingRequest record = std::move(awaitingList_.front());
      awaitingList_.pop_front();
      lock.unlock();
      if (record.uploadFile) handshake_.close();
      // The caller goes first, so an owner blocked in a synchronous request can take the
      // notification.
      record.fail();
      onRequestFailed(record.id(), kRequestTimeoutCode, kRequestTimeoutText);
      lock.lock();
    }
  }
  if (!awaitingList_.empty()) {
    if (awaitingList_.front().sentTime)
      plan.endBy(*awaitingList_.front().sentTime + requestTimeout());
  } else if (connection_->channel() == nullptr) {
    // The owner's thread may write a request while this one waits, without waking it: a request
    // written after now times out after now + time-out, so that wait ends in time to plan it.
    plan.endBy(now + requestTimeout());
  }
}

void PbxSession::failAll(std::int32_t code, const std::string& text) {
  for (;;) {
    std::unique_lock lock(queueMutex_);
    if (outgoingQueue_.empty()) break;
    PendingRequest record = std::move(outgoingQueue_.front());
    outgoingQueue_.pop_front();
    lock.unlock();
    record.fail();
    onRequestFailed(record.id(), code, text);
  }
  for (;;) {
    std::unique_lock lock(queueMutex_);
    if (awaitingList_.empty()) break;
    PendingRequest record = std::move(awaitingList_.front());
    awaitingList_.pop_front();
    lock.unlock();
    record.fail();
    onRequestFailed(record.id(), code, text);
  }
}

}  // namespace telvane
