#include "tests/tools/pbxsim/sim_client.h"

#include <sys/socket.h>

#include "telvane/net/address_record.h"
#include "telvane/net/readiness.h"
#include "telvane/protocol/login.h"
#include "telvane/protocol/method_factory.h"

namespace telvane::tools::testing {

bool SimClient::connect(std::uint16_t port, bool tls) {
  if (!socket_.OpenTcp(false, LoopbackAddress(port))) return false;
  if (!tls) return true;
  TlsConnectResult result =
      TlsChannel::Connect(tlsContext_, socket_, TlsPolicy::AcceptAny(), "127.0.0.1", 5s);
  tls_ = std::move(result.channel);
  return tls_ != nullptr;
}

bool SimClient::send(const XmlRpcMethod& message) {
  std::string text;
  return message.serialize(text) && sendBytes(text);
}

bool SimClient::sendBytes(std::string_view bytes) {
  if (tls_) return tls_->Write(bytes.data(), bytes.size(), 5s);
  return static_cast<std::size_t>(socket_.SendAll(bytes.data(), bytes.size(), 5)) == bytes.size();
}

bool SimClient::fill(std::chrono::milliseconds limit) {
  if (closed_) return false;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  char buffer[65536];
  for (;;) {
    if (!tls_ || !tls_->HasBufferedData()) {
      const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      if (WaitForHandle(socket_.GetHandle(), false, left) != 1) return false;
    }
    const int got = tls_ ? tls_->Read(buffer, sizeof buffer)
                         : static_cast<int>(::recv(socket_.GetHandle(), buffer, sizeof buffer, 0));
    if (got > 0) {
      framer_.append(std::string_view(buffer, static_cast<std::size_t>(got)));
      return true;
    }
    if (got < 0 || !tls_) {
      closed_ = true;
      return false;
    }
  }
}

std::optional<std::string> SimClient::next(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (auto message = framer_.next()) return std::string(*message);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !fill(left)) return std::nullopt;
  }
}

std::optional<std::string> SimClient::readBytes(std::size_t count,
                                                std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (framer_.pendingBytes() < count) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !fill(left)) return std::nullopt;
  }
  std::string all(framer_.pending());
  framer_ = MessageFramer();
  framer_.append(std::string_view(all).substr(count));
  all.resize(count);
  return all;
}

bool SimClient::closedByPeer(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!closed_) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    fill(left);
  }
  return true;
}

bool SimClient::login(std::string_view user, std::string_view password) {
  AuthenticateMethod request;
  request.setCredentials(user, password);
  std::unique_ptr<XmlRpcResponseMethod> response = call(request);
  auto* accepted = dynamic_cast<AuthenticateResponseMethod*>(response.get());
  return accepted != nullptr && accepted->accepted();
}

std::unique_ptr<XmlRpcResponseMethod> SimClient::call(const XmlRpcRequestMethod& request) {
  if (!send(request)) return nullptr;
  std::optional<std::string> text = next();
  return text ? request.parseResponse(*text) : nullptr;
}

std::unique_ptr<XmlRpcRequestMethod> SimClient::nextCall(std::chrono::milliseconds limit,
                                                         bool answer) {
  std::optional<std::string> text = next(limit);
  if (!text) return nullptr;
  ParsedCall parsed = parsePbxMethodCall(*text);
  if (parsed.kind != ParsedCall::Kind::kCall) return nullptr;
  if (answer && parsed.method->type() != kProcess) {
    std::unique_ptr<XmlRpcResponseMethod> response = parsed.method->createResponse(false);
    response->setId(parsed.method->idNumber());
    send(*response);
  }
  return std::move(parsed.method);
}

}  // namespace telvane::tools::testing
