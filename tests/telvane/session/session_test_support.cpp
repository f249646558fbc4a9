#include "session_test_support.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <algorithm>

#include "telvane/net/address_record.h"
#include "telvane/net/readiness.h"
#include "telvane/protocol/login.h"
#include "telvane/protocol/method_factory.h"
#include "telvane/xmlrpc/framing.h"
#include "telvane/xmlrpc/method_table.h"

namespace telvane::testing {

void RecordingOwner::deliver(const Notification& notification) {
  std::function<void(const Notification&)> action;
  {
    std::lock_guard lock(mutex_);
    notifications_.push_back(notification);
    action = action_;
  }
  changed_.notify_all();
  if (action) action(notification);
}

void RecordingOwner::deliverAll(std::span<Notification> batch, const DeliveryGate& gate) {
  {
    std::lock_guard lock(mutex_);
    batchSizes_.push_back(batch.size());
  }
  SessionOwner::deliverAll(batch, gate);
}

std::vector<std::size_t> RecordingOwner::batchSizes() const {
  std::lock_guard lock(mutex_);
  return batchSizes_;
}

void RecordingOwner::onDeliver(std::function<void(const Notification&)> action) {
  std::lock_guard lock(mutex_);
  action_ = std::move(action);
}

std::vector<Notification> RecordingOwner::notifications() const {
  std::lock_guard lock(mutex_);
  return notifications_;
}

bool RecordingOwner::waitForCount(std::size_t count, std::chrono::milliseconds limit) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [&] { return notifications_.size() >= count; });
}

bool RecordingOwner::waitForMatch(const std::function<bool(const Notification&)>& match,
                                  std::chrono::milliseconds limit) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [&] {
    return std::any_of(notifications_.begin(), notifications_.end(), match);
  });
}

std::string wireText(const XmlRpcMethod& message) {
  std::string text;
  EXPECT_TRUE(message.serialize(text));
  return text;
}

ScriptedPeer::ScriptedPeer(LoginAnswer login) : login_(login) {
  const sockaddr_in address = LoopbackAddress(0);
  if (!listener_.OpenTcp(true, address)) {
    ADD_FAILURE() << "cannot listen on 127.0.0.1";
    return;
  }
  port_ = listener_.GetSelfPort();
  thread_ = std::thread([this] { run(); });
}

ScriptedPeer::~ScriptedPeer() {
  stopping_ = true;
  stop_.Signal();
  if (thread_.joinable()) thread_.join();
}

void ScriptedPeer::setHandler(Handler handler) {
  std::lock_guard lock(mutex_);
  handler_ = std::move(handler);
}

std::optional<std::string> ScriptedPeer::nextMessage(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  if (!changed_.wait_for(lock, limit, [&] { return !messages_.empty(); })) return std::nullopt;
  std::string message = std::move(messages_.front());
  messages_.pop_front();
  return message;
}

bool ScriptedPeer::quietFor(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return !changed_.wait_for(lock, limit, [&] { return !messages_.empty(); });
}

bool ScriptedPeer::waitAccepted(std::size_t count, std::chrono::milliseconds limit) const {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (accepted_ < count) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

bool ScriptedPeer::write(std::string_view bytes) {
  std::lock_guard lock(clientMutex_);
  if (!client_) return false;
  while (!bytes.empty()) {
    const int sent = client_->Send(bytes.data(), bytes.size(), 0, 0);
    if (sent < 0) return false;
    if (sent == 0) {
      if (WaitForHandle(client_->GetHandle(), true, std::chrono::microseconds(5s)) != 1) {
        return false;
      }
      continue;
    }
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

bool ScriptedPeer::writeMessage(const XmlRpcMethod& message) {
  return write(wireText(message));
}

void ScriptedPeer::closeClient() {
  std::lock_guard lock(clientMutex_);
  // Shutting down (not closing) wakes the peer thread's wait; it then closes the handle.
  if (client_) shutdown(client_->GetHandle(), SHUT_RDWR);
}

bool ScriptedPeer::waitClientClosed(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [&] { return clientClosed_.load(); });
}

void ScriptedPeer::run() {
  while (!stopping_) {
    WatchedHandle handles[2];
    handles[0] = {.handle = listener_.GetHandle(), .wantRead = true};
    handles[1] = {.handle = stop_.GetHandle(), .wantRead = true};
    if (WaitForHandles(handles, std::nullopt) <= 0 || stopping_) continue;
    if (!handles[0].readable) continue;
    auto client = std::make_unique<BsdSocket>(false);
    if (listener_.Accept(*client) != 1) continue;
    client->ChangeMode(kNonBlockingMode);
    {
      std::lock_guard lock(clientMutex_);
      client_ = std::move(client);
    }
    clientClosed_ = false;
    buffer_.clear();
    ++accepted_;
    serveClient();
    {
      std::lock_guard lock(clientMutex_);
      client_.reset();
    }
    {
      std::lock_guard lock(mutex_);
      clientClosed_ = true;
    }
    changed_.notify_all();
  }
}

bool ScriptedPeer::fill(std::chrono::milliseconds limit) {
  int handle;
  {
    std::lock_guard lock(clientMutex_);
    handle = client_->GetHandle();
  }
  WatchedHandle handles[2];
  handles[0] = {.handle = handle, .wantRead = true};
  handles[1] = {.handle = stop_.GetHandle(), .wantRead = true};
  if (WaitForHandles(handles, std::chrono::microseconds(limit)) <= 0 || stopping_) return false;
  char bytes[65536];
  int got;
  {
    std::lock_guard lock(clientMutex_);
    got = client_->Receive(bytes, sizeof bytes, 0, 0);
  }
  if (got < 0) return false;
  buffer_.append(bytes, static_cast<std::size_t>(got));
  return true;
}

void ScriptedPeer::serveClient() {
  bool loginSeen = false;
  while (!stopping_) {
    if (!fill(std::chrono::hours(1))) return;
    for (;;) {
      const std::size_t end = findMessageEnd(buffer_);
      if (end == std::string::npos) break;
      std::string message = buffer_.substr(0, end);
      buffer_.erase(0, end + kMessageTerminator.size());
      if (!loginSeen) {
        loginSeen = true;
        answerLogin(message);
        continue;
      }
      Handler handler;
      {
        std::lock_guard lock(mutex_);
        handler = handler_;
      }
      if (handler) handler(*this, message);
      {
        std::lock_guard lock(mutex_);
        messages_.push_back(std::move(message));
      }
      changed_.notify_all();
    }
  }
}

std::string ScriptedPeer::readRaw(std::size_t count, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (buffer_.size() < count) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left <= 0ms || !fill(left)) break;
  }
  const std::size_t taken = std::min(count, buffer_.size());
  std::string raw = buffer_.substr(0, taken);
  buffer_.erase(0, taken);
  return raw;
}

void ScriptedPeer::answerLogin(const std::string& message) {
  ParsedCall parsed = parsePbxMethodCall(message);
  ASSERT_EQ(parsed.kind, ParsedCall::Kind::kCall) << message;
  const int type = parsed.method->type();
  ASSERT_TRUE(type == kAuthenticate || type == kSAuthenticate) << message;
  switch (login_) {
    case LoginAnswer::kAccept:
    case LoginAnswer::kRefuse: {
      AuthenticateResponseMethod answer;
      answer.setResult(login_ == LoginAnswer::kAccept, "");
      writeMessage(answer);
      break;
    }
    case LoginAnswer::kFault: {
      FaultResponseMethod fault(type);
      fault.setFault(7, "Bad credentials");
      writeMessage(fault);
      break;
    }
    case LoginAnswer::kNone:
      break;
  }
}

}  // namespace telvane::testing
