#include "tools/pbxsim/pbx_simulator.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/evp.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/shell/code_page.h"
#include "telvane/net/address_record.h"
#include "telvane/net/readiness.h"
#include "telvane/protocol/call_events.h"
#include "telvane/protocol/method_factory.h"
#include "telvane/xmlrpc/method_table.h"
#include "tools/pbxsim/sim_impl.h"

namespace telvane::tools {

using sim::Connection;

std::string simAuthenticator(std::string_view user, std::string_view password,
                             std::string_view timestamp, int codePage) {
  std::string text = std::string(user) + std::string(password) + std::string(timestamp);
  if (codePage != 0) {
    std::optional<std::string> coded = platform::shell::toAnsiCodePage(text, codePage);
    if (!coded) return {};
    text = std::move(*coded);
  }
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr) != 1) return {};
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 0xF];
  }
  return hex;
}

PbxSimulator::Impl::Impl(Options options) : options_(std::move(options)) {
  if (options_.users.empty()) options_.users.push_back({"101", "secret", "101", "User 101", ""});
  for (SimUser& user : options_.users) {
    if (user.extension.empty()) user.extension = user.name;
    if (user.displayName.empty()) user.displayName = "User " + user.extension;
    if (user.sipAddress.empty()) user.sipAddress = user.extension + "@pbxsim";
  }
  if (!options_.now) options_.now = [] { return Clock::now(); };
  counters_.receivedByType.assign(kMethodCount, 0);
  counters_.sentByType.assign(kMethodCount, 0);
}

PbxSimulator::Impl::~Impl() {
  stop();
  if (ownsTraceFile_ && traceFile_ != nullptr) std::fclose(traceFile_);
}

bool PbxSimulator::Impl::start() {
  if (running_) return true;
  if (!wake_.IsValid()) {
    error = "cannot create the wake-up event";
    return false;
  }
  if (!options_.tlsCertFile.empty() || !options_.tlsKeyFile.empty()) {
    tls_ = TlsServerContext::Load(options_.tlsCertFile, options_.tlsKeyFile, error);
    if (tls_ == nullptr) return false;
  }
  if (!options_.traceFile.empty() && traceFile_ == nullptr) {
    if (options_.traceFile == "-") {
      traceFile_ = stderr;
    } else {
      traceFile_ = std::fopen(options_.traceFile.c_str(), "w");
      if (traceFile_ == nullptr) {
        error = "cannot open the trace file " + options_.traceFile + ": " + std::strerror(errno);
        return false;
      }
      ownsTraceFile_ = true;
    }
  }
  if (!listener_.OpenTcp(true, LoopbackAddress(options_.port))) {
    error = "cannot listen on 127.0.0.1:" + std::to_string(options_.port);
    return false;
  }
  listener_.ChangeMode(kNonBlockingMode);
  port = listener_.GetSelfPort();
  startedAt_ = now();
  running_ = true;
  thread_ = std::thread([this] { run(); });
  return true;
}

void PbxSimulator::Impl::stop() {
  if (!thread_.joinable()) return;
  running_ = false;
  wake_.Signal();
  thread_.join();
  std::lock_guard lock(mutex_);
  for (PendingCommand& pending : commands_) {
    pending.outcome.set_value(R"({"ok":false,"error":"simulator stopped"})");
  }
  commands_.clear();
  connections_.clear();
  listener_.Close();
  counters_.openConnections = 0;
  changed_.notify_all();
}

std::string PbxSimulator::Impl::command(std::string_view line) {
  std::future<std::string> outcome;
  {
    std::lock_guard lock(mutex_);
    if (!running_) return R"({"ok":false,"error":"simulator not running"})";
    commands_.push_back({std::string(line), {}});
    outcome = commands_.back().outcome.get_future();
  }
  wake_.Signal();
  return outcome.get();
}

PbxSimulator::Counters PbxSimulator::Impl::counters() const {
  std::lock_guard lock(mutex_);
  return counters_;
}

bool PbxSimulator::Impl::waitUntil(const std::function<bool(const Counters&)>& done,
                                   std::chrono::milliseconds limit) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [&] { return done(counters_); });
}

std::optional<std::string> PbxSimulator::Impl::file(std::string_view extension,
                                                    std::string_view name) const {
  std::lock_guard lock(mutex_);
  auto found = files_.find({std::string(extension), std::string(name)});
  if (found == files_.end()) return std::nullopt;
  return found->second;
}

std::optional<PbxSimulator::OfferDecision> PbxSimulator::Impl::decision(CallId callId) const {
  std::lock_guard lock(mutex_);
  auto found = offers_.find(callId);
  if (found == offers_.end()) return std::nullopt;
  return found->second.decision;
}

const SimUser* PbxSimulator::Impl::findUser(std::string_view name) const {
  for (const SimUser& user : options_.users) {
    if (user.name == name) return &user;
  }
  return nullptr;
}

Connection* PbxSimulator::Impl::connection(int id) {
  auto found = connections_.find(id);
  return found == connections_.end() || found->second->closing ? nullptr : found->second.get();
}

// ---- the loop

void PbxSimulator::Impl::run() {
  std::vector<WatchedHandle> watched;
  std::vector<Connection*> order;
  while (running_) {
    watched.clear();
    order.clear();
    watched.push_back({.handle = wake_.GetHandle(), .wantRead = true});
    watched.push_back({.handle = listener_.GetHandle(), .wantRead = true});
    std::optional<Clock::time_point> deadline;
    {
      std::lock_guard lock(mutex_);
      for (auto& [id, conn] : connections_) {
        const bool wantWrite =
            conn->outSent < conn->out.size() || (conn->tls && conn->tls->wantsWrite());
        watched.push_back(
            {.handle = conn->socket.GetHandle(), .wantRead = true, .wantWrite = wantWrite});
        order.push_back(conn.get());
      }
      deadline = nextDeadline();
    }
    WaitLimit limit;
    if (deadline) {
      limit = std::max(std::chrono::duration_cast<std::chrono::microseconds>(*deadline - now()),
                       std::chrono::microseconds(0));
    }
    if (WaitForHandles(watched, limit) < 0) continue;

    std::lock_guard lock(mutex_);
    if (watched[0].readable) wake_.Drain();
    if (watched[1].readable) acceptClients();
    for (std::size_t i = 0; i < order.size(); ++i) {
      const WatchedHandle& handle = watched[i + 2];
      serviceConnection(*order[i], handle.readable || handle.failed, handle.writable);
    }
    runCommands();
    runTimers();
    for (auto it = connections_.begin(); it != connections_.end();) {
      if (!it->second->closing) flush(*it->second);
      if (it->second->closing) {
        const int id = it->first;
        ++it;
        closeConnection(id);
      } else {
        ++it;
      }
    }
    changed_.notify_all();
  }
}

void PbxSimulator::Impl::acceptClients() {
  for (;;) {
    auto conn = std::make_unique<Connection>(nextConnection_);
    if (listener_.Accept(conn->socket) != 1) return;
    conn->socket.ChangeMode(kNonBlockingMode);
    const int on = 1;  // an answer and the notifications after it go out at once
    conn->socket.SetOption(IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (tls_ != nullptr) {
      conn->tls = TlsServerLink::Attach(*tls_, conn->socket.GetHandle());
      if (conn->tls == nullptr) continue;
    }
    ++nextConnection_;
    ++counters_.connections;
    ++counters_.openConnections;
    Json entry = Json::object();
    entry["kind"] = "connected";
    trace(*conn, "in", std::move(entry));
    const int id = conn->id;
    connections_.emplace(id, std::move(conn));
  }
}

void PbxSimulator::Impl::serviceConnection(Connection& conn, bool readable, bool writable) {
  if (conn.closing) return;
  // A TLS handshake or record may need reading again after the socket became writable.
  if (readable || (writable && conn.tls)) readFrom(conn);
  if (writable && !conn.closing) flush(conn);
}

void PbxSimulator::Impl::readFrom(Connection& conn) {
  std::string& buffer = readBuffer_;
  buffer.resize(65536);
  for (int round = 0; round < 64 && !conn.closing; ++round) {
    int got = 0;
    if (conn.tls) {
      got = conn.tls->read(buffer.data(), buffer.size());
      if (got < 0) got = kPeerGone;
    } else {
      got = conn.socket.Receive(buffer.data(), buffer.size(), 0, 0);
    }
    if (got == 0) return;  // would block
    if (got < 0) {
      drop(conn, "peer closed");
      return;
    }
    onBytes(conn, std::string_view(buffer.data(), static_cast<std::size_t>(got)));
    // A short plain read took all there was; asking again would only hear "would block".
    if (!conn.tls && static_cast<std::size_t>(got) < buffer.size()) return;
  }
}

void PbxSimulator::Impl::flush(Connection& conn) {
  while (conn.outSent < conn.out.size()) {
    const char* data = conn.out.data() + conn.outSent;
    const std::size_t length = conn.out.size() - conn.outSent;
    const int sent =
        conn.tls ? conn.tls->write(data, length) : conn.socket.Send(data, length, 0, 0);
    if (sent < 0) {
      drop(conn, "write failed");
      return;
    }
    if (sent == 0) break;
    conn.outSent += static_cast<std::size_t>(sent);
  }
  if (conn.outSent == conn.out.size()) {
    conn.out.clear();
    conn.outSent = 0;
  } else if (conn.outSent > (1u << 20)) {
    conn.out.erase(0, conn.outSent);  // now and then, not after every partial write
    conn.outSent = 0;
  }
  if (conn.out.size() - conn.outSent > sim::kMaxPendingOutput) drop(conn, "peer does not read");
}

void PbxSimulator::Impl::drop(Connection& conn, std::string_view why) {
  if (conn.closing) return;
  conn.closing = true;
  Json entry = Json::object();
  entry["kind"] = "closed";
  entry["reason"] = std::string(why);
  trace(conn, "in", std::move(entry));
}

void PbxSimulator::Impl::closeConnection(int id) {
  auto found = connections_.find(id);
  if (found == connections_.end()) return;
  for (auto it = incomingHandlers_.begin(); it != incomingHandlers_.end();) {
    it = it->second == id ? incomingHandlers_.erase(it) : std::next(it);
  }
  for (auto it = calls_.begin(); it != calls_.end();) {
    it = it->second.connection == id ? calls_.erase(it) : std::next(it);
  }
  for (auto it = prompts_.begin(); it != prompts_.end();) {
    it = it->second.connection == id ? prompts_.erase(it) : std::next(it);
  }
  connections_.erase(found);
  --counters_.openConnections;
}

// ---- framing

void PbxSimulator::Impl::onBytes(Connection& conn, std::string_view bytes) {
  while (!bytes.empty() && !conn.closing) {
    if (conn.upload) {
      bytes.remove_prefix(feedUpload(conn, bytes));
      continue;
    }
    conn.framer.append(bytes);
    bytes = {};
    processFramed(conn);
  }
}

void PbxSimulator::Impl::processFramed(Connection& conn) {
  while (!conn.closing && !conn.upload) {
    std::optional<std::string_view> message = conn.framer.next();
    if (!message) break;
    const std::string text(*message);
    handleMessage(conn, text);
    if (conn.upload) {
      // What followed the request is the file.
      std::string rest(conn.framer.pending());
      conn.framer = MessageFramer();
      std::string_view tail = rest;
      tail.remove_prefix(feedUpload(conn, tail));
      if (!tail.empty()) conn.framer.append(tail);
    }
  }
  if (conn.framer.pendingBytes() > sim::kMaxPendingInput) {
    ++counters_.dropped;
    drop(conn, "message too long");
  }
}

void PbxSimulator::Impl::handleMessage(Connection& conn, const std::string& text) {
  ++counters_.messagesIn;
  if (tracing()) trace(conn, "in", decodeMessage(text));
  ParsedCall parsed = parsePbxMethodCall(text);
  switch (parsed.kind) {
    case ParsedCall::Kind::kCall:
      ++counters_.receivedByType[static_cast<std::size_t>(parsed.method->type())];
      handleRequest(conn, *parsed.method);
      break;
    case ParsedCall::Kind::kUnknown:
      send(conn, *makeUnknownMethodFault());
      break;
    case ParsedCall::Kind::kNone:
      handleAnswer(conn, text);
      break;
  }
}

// ---- writing

bool PbxSimulator::Impl::send(Connection& conn, const XmlRpcMethod& message) {
  std::string text;
  if (!message.serialize(text)) return false;
  if (conn.closing || conn.muted) return false;
  conn.out += text;
  ++counters_.messagesOut;
  if (message.expectsResponse()) {
    const int type = message.type();
    ++counters_.sentByType[static_cast<std::size_t>(type)];
    if (type != kProcess && type != kCallOriginated) conn.awaiting.push_back(type);
  }
  if (tracing()) trace(conn, "out", decodeMessage(text));
  return true;
}

void PbxSimulator::Impl::sendBytes(Connection& conn, std::string_view bytes, std::string_view what,
                                   bool traceText) {
  if (conn.closing || conn.muted) return;
  conn.out.append(bytes);
  Json entry = Json::object();
  entry["kind"] = "bytes";
  entry["what"] = std::string(what);
  entry["bytes"] = bytes.size();
  if (traceText) entry["text"] = bytesToUtf8(bytes);
  trace(conn, "out", std::move(entry));
}

bool PbxSimulator::Impl::tracing() const {
  return traceFile_ != nullptr || options_.trace;
}

void PbxSimulator::Impl::trace(const Connection& conn, std::string_view dir, Json entry) {
  if (!tracing()) return;
  entry["dir"] = std::string(dir);
  entry["conn"] = conn.id;
  entry["t"] = std::chrono::duration_cast<std::chrono::milliseconds>(now() - startedAt_).count();
  const std::string line = entry.dump();
  if (traceFile_ != nullptr) {
    std::fprintf(traceFile_, "%s\n", line.c_str());
    std::fflush(traceFile_);
  }
  if (options_.trace) options_.trace(line);
}

// ---- commands and timers

void PbxSimulator::Impl::runCommands() {
  while (!commands_.empty()) {
    PendingCommand pending = std::move(commands_.front());
    commands_.pop_front();
    pending.outcome.set_value(runCommand(pending.line));
  }
}

std::optional<sim::Clock::time_point> PbxSimulator::Impl::nextDeadline() const {
  std::optional<Clock::time_point> next;
  auto consider = [&](Clock::time_point t) {
    if (!next || t < *next) next = t;
  };
  for (const auto& [id, call] : calls_) {
    if (call.answerAt) consider(*call.answerAt);
  }
  for (const auto& [id, prompt] : prompts_) consider(prompt.endsAt);
  return next;
}

void PbxSimulator::Impl::runTimers() {
  const Clock::time_point current = now();
  std::vector<std::pair<int, CallId>> answered;
  for (auto& [id, call] : calls_) {
    if (call.answerAt && *call.answerAt <= current) {
      call.answerAt.reset();
      answered.emplace_back(call.connection, id);
    }
  }
  for (const auto& [connection, id] : answered) sendState(connection, id, 2);
  for (auto it = prompts_.begin(); it != prompts_.end();) {
    if (it->second.endsAt > current) {
      ++it;
      continue;
    }
    const auto [id, prompt] = *it;
    it = prompts_.erase(it);
    if (Connection* conn = connection(prompt.connection)) {
      MessagePlayedMethod played;
      played.setCallId(id);
      send(*conn, played);
    }
  }
}

// ---- the public face

PbxSimulator::PbxSimulator(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}
PbxSimulator::~PbxSimulator() = default;
bool PbxSimulator::start() {
  return impl_->start();
}
void PbxSimulator::stop() {
  impl_->stop();
}
std::uint16_t PbxSimulator::port() const {
  return impl_->port;
}
const std::string& PbxSimulator::error() const {
  return impl_->error;
}
std::string PbxSimulator::command(std::string_view line) {
  return impl_->command(line);
}
void PbxSimulator::wake() {
  impl_->wake();
}
PbxSimulator::Counters PbxSimulator::counters() const {
  return impl_->counters();
}

bool PbxSimulator::waitUntil(const std::function<bool(const Counters&)>& done,
                             std::chrono::milliseconds limit) const {
  return impl_->waitUntil(done, limit);
}

bool PbxSimulator::waitForReceived(int type, std::size_t count,
                                   std::chrono::milliseconds limit) const {
  if (type < 0 || type >= kMethodCount) return false;
  return impl_->waitUntil(
      [&](const Counters& c) { return c.receivedByType[static_cast<std::size_t>(type)] >= count; },
      limit);
}

bool PbxSimulator::waitForSent(std::size_t count, std::chrono::milliseconds limit) const {
  return impl_->waitUntil([&](const Counters& c) { return c.messagesOut >= count; }, limit);
}

std::optional<std::string> PbxSimulator::file(std::string_view extension,
                                              std::string_view name) const {
  return impl_->file(extension, name);
}

std::optional<PbxSimulator::OfferDecision> PbxSimulator::decision(CallId callId) const {
  return impl_->decision(callId);
}

CallId PbxSimulator::offer(std::string_view from, std::string_view to, CallId origCallId) {
  std::string line = "offer " + std::string(from) + " " + std::string(to);
  if (origCallId != 0) line += " " + formatId(origCallId);
  const Json outcome = Json::parse(command(line), nullptr, false);
  if (!outcome.is_object() || !outcome.value("ok", false)) return 0;
  return parseId(outcome.value("call", std::string()));
}

bool PbxSimulator::sendState(CallId callId, int state, std::optional<int> errorCode) {
  std::string line = "state " + formatId(callId) + " " + std::to_string(state);
  if (errorCode) line += " " + std::to_string(*errorCode);
  const Json outcome = Json::parse(command(line), nullptr, false);
  return outcome.is_object() && outcome.value("ok", false);
}

}  // namespace telvane::tools
