// The PBX's answers to the control's requests, the uploads that follow some of them, and the
// control's answers to what the simulator sent.
#include <algorithm>
#include <optional>

#include "telvane/protocol/call_control.h"
#include "telvane/protocol/call_events.h"
#include "telvane/protocol/login.h"
#include "telvane/protocol/session_callbacks.h"
#include "telvane/protocol/subscriptions.h"
#include "telvane/protocol/system_service.h"
#include "telvane/xmlrpc/generic_method.h"
#include "telvane/xmlrpc/method_table.h"
#include "tools/pbxsim/sim_impl.h"

namespace telvane::tools {

using sim::Connection;

namespace {

// Login texts of the authenticate answer.
constexpr std::string_view kLoginAccepted = "Login accepted";
constexpr std::string_view kLoginRefused = "Wrong user name or password";
// A PBX refuses everything but the login on a connection that has not logged in.
constexpr int kNotLoggedInCode = 2;
constexpr std::string_view kNotLoggedInText = "Not logged in";

std::string padded(std::string_view text) {
  std::string out(text);
  out.resize(sim::kHandshakeLength, '\0');
  return out;
}

bool isUpload(int type) {
  return type == kBeginFileTransfer || type == kConfigurationUpdate;
}

// Hands each request's values to the simulator; one object per request.
class RequestHandler : public NullSessionCallbacks {
 public:
  RequestHandler(PbxSimulator::Impl& sim, Connection& conn, const XmlRpcRequestMethod& request)
      : sim_(sim), conn_(conn), request_(request) {}

  bool answered() const { return answered_; }

  void onAuthenticate(const std::string& user, const std::string& password) override {
    const SimUser* known = sim_.findUser(user);
    login(known != nullptr && known->password == password ? known : nullptr);
  }

  void onSAuthenticate(const std::string& user, const std::string& timestamp,
                       const std::string& authenticator) override {
    const SimUser* known = sim_.findUser(user);
    if (known == nullptr) return login(nullptr);
    const std::string expected =
        simAuthenticator(known->name, known->password, timestamp, sim_.options_.digestCodePage);
    const bool ok = !expected.empty() && expected == authenticator;
    login(ok ? known : nullptr);
  }

  void onGetExtension(const std::string& user) override {
    const SimUser* known = sim_.findUser(user);
    auto response = answer<GetExtensionResponseMethod>();
    response->setResult(known != nullptr, known != nullptr ? known->extension : std::string());
    finish(*response);
  }

  void onIncomingCallHandling(const std::string& extension, bool handle) override {
    if (handle) {
      sim_.incomingHandlers_[extension] = conn_.id;
    } else if (auto found = sim_.incomingHandlers_.find(extension);
               found != sim_.incomingHandlers_.end() && found->second == conn_.id) {
      sim_.incomingHandlers_.erase(found);
    }
  }

  void onCreateCall(CallId callId, const std::string&, const PartyAddress& callee,
                    const std::string&, const std::string&, int32_t) override {
    plainAnswer();
    sim_.placeCall(conn_.id, callId, callee.value, true);
  }

  void onCloseCall(CallId callId) override {
    plainAnswer();
    if (ownCall(callId) != sim_.calls_.end()) sim_.endCall(callId);
  }

  void onTransferCall(CallId callId, const PartyAddress&) override {
    plainAnswer();
    // The call now belongs to the target: this side's leg ends.
    if (auto found = ownCall(callId); found != sim_.calls_.end()) {
      const int connection = found->second.connection;
      unlink(callId);
      sim_.calls_.erase(found);
      sim_.sendState(connection, callId, 3);
    }
  }

  void onJoinCalls(CallId callId, CallId otherCallId) override {
    plainAnswer();
    auto first = ownCall(callId);
    auto second = ownCall(otherCallId);
    if (first == sim_.calls_.end() || second == sim_.calls_.end() || callId == otherCallId) return;
    unlink(callId);
    unlink(otherCallId);
    first->second.partner = otherCallId;
    second->second.partner = callId;
  }

  void onUnjoinCalls(CallId callId, CallId) override {
    plainAnswer();
    if (ownCall(callId) != sim_.calls_.end()) unlink(callId);
  }

  void onPlayMessage(CallId callId, const std::string& fileName, int32_t count) override {
    plainAnswer();
    if (count == 0 || fileName.empty()) {
      sim_.prompts_.erase(callId);  // stopped: no report
      return;
    }
    const int plays = count < 0 ? 1 : count;
    sim_.prompts_[callId] = {conn_.id, sim_.now() + sim_.options_.promptLength * plays};
  }

  void onInjectDTMF(CallId callId, const std::string&) override {
    plainAnswer();
    DTMFInjectedMethod injected;
    injected.setCallId(callId);
    sim_.send(conn_, injected);
  }

  void onEnableDtmfDetection(CallId callId, bool enable) override {
    if (auto found = ownCall(callId); found != sim_.calls_.end()) {
      found->second.dtmfDetection = enable;
    }
  }

  void onSubscribe(CallId subscriptionId, int32_t kind, const std::string& extension) override {
    const bool known = kind >= kSubscribeVoiceMail && kind <= kSubscribeExtensionList;
    if (known) conn_.subscriptions[subscriptionId] = {kind, extension};
    auto response = answer<SubscribeResponseMethod>();
    response->setResult(subscriptionId, known, known ? 0 : 1);
    finish(*response);
    if (known && kind == kSubscribeExtensionList && sim_.options_.extListOnSubscribe) {
      ExtListArrivedMethod list;
      list.setExtensions(subscriptionId, sim_.extensionList());
      sim_.send(conn_, list);
    }
  }

  void onUnsubscribe(CallId subscriptionId, int32_t) override {
    conn_.subscriptions.erase(subscriptionId);
  }

  void onGetSystemInfo(CallId requestId) override {
    auto response = answer<GetSystemInfoResponseMethod>();
    response->setResult(requestId, sim_.options_.uniqueId, sim_.options_.version);
    finish(*response);
  }

  void onGetFilesList(CallId requestId, const std::string& extension) override {
    std::vector<std::string> names;
    for (const auto& [key, data] : sim_.files_) {
      if (key.first == extension) names.push_back(key.second);
    }
    auto response = answer<GetFilesResponseMethod>();
    response->setResult(requestId, std::move(names));
    finish(*response);
  }

  void onDeleteFile(CallId requestId, const std::string& extension,
                    const std::string& fileName) override {
    const bool erased = sim_.files_.erase({extension, fileName}) > 0;
    auto response = answer<FileDeleteResponseMethod>();
    response->setResult(requestId, erased);
    finish(*response);
  }

  void onBeginFileTransfer(CallId requestId, const std::string& extension,
                           const std::string& fileName, int32_t size) override {
    beginUpload(requestId, kBeginFileTransfer, extension, fileName, size);
  }

  void onConfigurationUpdate(CallId requestId, const std::string& fileName, int32_t size) override {
    beginUpload(requestId, kConfigurationUpdate, {}, fileName, size);
  }

 private:
  template <typename Response>
  std::unique_ptr<Response> answer() {
    std::unique_ptr<XmlRpcResponseMethod> made = request_.createResponse(false);
    if (auto* typed = dynamic_cast<Response*>(made.get())) {
      made.release();
      return std::unique_ptr<Response>(typed);
    }
    return std::make_unique<Response>();
  }

  void finish(const XmlRpcMethod& response) {
    answered_ = true;
    sim_.send(conn_, response);
  }

  void plainAnswer() {
    XmlRpcResponseMethod response(request_.type());
    response.setId(request_.idNumber());
    finish(response);
  }

  void login(const SimUser* user) {
    auto response = answer<AuthenticateResponseMethod>();
    response->setResult(user != nullptr, user != nullptr ? kLoginAccepted : kLoginRefused);
    if (user != nullptr) {
      conn_.loggedIn = true;
      conn_.user = user->name;
      conn_.extension = user->extension;
    }
    finish(*response);
  }

  // The call when it belongs to this connection; another connection's calls are not its to touch.
  std::map<CallId, sim::Call>::iterator ownCall(CallId callId) {
    auto found = sim_.calls_.find(callId);
    if (found != sim_.calls_.end() && found->second.connection != conn_.id) {
      return sim_.calls_.end();
    }
    return found;
  }

  void unlink(CallId callId) {
    auto found = sim_.calls_.find(callId);
    if (found == sim_.calls_.end() || found->second.partner == 0) return;
    if (auto other = sim_.calls_.find(found->second.partner); other != sim_.calls_.end()) {
      other->second.partner = 0;
    }
    found->second.partner = 0;
  }

  void beginUpload(CallId requestId, int type, const std::string& extension,
                   const std::string& fileName, int32_t size) {
    answered_ = true;
    if (size < 0 || static_cast<std::size_t>(size) > sim::kMaxUpload || fileName.empty()) {
      sim_.sendBytes(conn_, padded("NO"), "refusal", true);
      IdFlagResponseMethod refused(type);
      refused.setResult(requestId, false);
      sim_.send(conn_, refused);
      return;
    }
    conn_.upload =
        sim::Upload{requestId, type, extension, fileName, static_cast<std::size_t>(size), {}};
    sim_.sendBytes(conn_, padded("OK"), "handshake", true);
  }

  PbxSimulator::Impl& sim_;
  Connection& conn_;
  const XmlRpcRequestMethod& request_;
  bool answered_ = false;
};

}  // namespace

std::vector<ExtensionRecord> PbxSimulator::Impl::extensionList() const {
  std::vector<ExtensionRecord> entries;
  for (const SimUser& user : options_.users) {
    entries.push_back({user.extension, user.displayName, user.sipAddress, 0, 0});
  }
  return entries;
}

void PbxSimulator::Impl::handleRequest(Connection& conn, XmlRpcRequestMethod& request) {
  if (stalled_) return;
  const int type = request.type();
  std::optional<std::pair<int, std::string>> fault;
  if (auto once = faultsOnce_.find(type); once != faultsOnce_.end()) {
    fault = std::move(once->second.front());
    once->second.pop_front();
    if (once->second.empty()) faultsOnce_.erase(once);
  } else if (auto standing = faults_.find(type); standing != faults_.end()) {
    fault = standing->second;
  }
  if (fault) {
    if (isUpload(type)) sendBytes(conn, padded("NO"), "refusal", true);
    FaultResponseMethod response(type);
    response.setFault(fault->first, fault->second);
    send(conn, response);
    return;
  }
  if (!conn.loggedIn && type != kAuthenticate && type != kSAuthenticate) {
    if (isUpload(type)) sendBytes(conn, padded("NO"), "refusal", true);
    FaultResponseMethod response(type);
    response.setFault(kNotLoggedInCode, kNotLoggedInText);
    send(conn, response);
    return;
  }
  RequestHandler handler(*this, conn, request);
  request.dispatch(handler);
  if (!handler.answered()) {
    // Everything else gets the automatic answer: the plain response with the request's ID.
    XmlRpcResponseMethod response(type);
    response.setId(request.idNumber());
    send(conn, response);
  }
}

std::size_t PbxSimulator::Impl::feedUpload(Connection& conn, std::string_view bytes) {
  sim::Upload& upload = *conn.upload;
  const std::size_t take = std::min(bytes.size(), upload.size - upload.data.size());
  const std::size_t before = upload.data.size();
  upload.data.append(bytes.substr(0, take));
  if (take > 0) {
    Json entry = Json::object();
    entry["kind"] = "upload";
    entry["bytes"] = take;
    trace(conn, "in", std::move(entry));
  }
  // One acknowledgement per chunk the peer wrote: each chunk ends at a multiple of the chunk
  // size or at the end of the file.
  const std::size_t after = upload.data.size();
  std::size_t chunksDone = after / sim::kUploadChunk;
  if (after == upload.size && after % sim::kUploadChunk != 0) ++chunksDone;
  std::size_t chunksBefore = before / sim::kUploadChunk;
  for (std::size_t i = chunksBefore; i < chunksDone; ++i)
    sendBytes(conn, padded("ACK"), "ack", true);
  if (after == upload.size) {
    files_[{upload.extension, upload.name}] = std::move(upload.data);
    IdFlagResponseMethod response(upload.type);
    response.setResult(upload.requestId, true);
    conn.upload.reset();
    send(conn, response);
  }
  return take;
}

void PbxSimulator::Impl::handleAnswer(Connection& conn, const std::string& text) {
  // A decision on an offered call or a call request.
  CallArrivedResponseMethod offerReply;
  if (offerReply.parseText(text)) {
    ++counters_.responsesIn;
    const CallId callId = offerReply.idNumber();
    auto found = offers_.find(callId);
    if (found != offers_.end() && found->second.connection == conn.id &&
        found->second.decision.kind == OfferDecision::kPending) {
      OfferDecision& decision = found->second.decision;
      decision.callerId = offerReply.callerId();
      decision.displayName = offerReply.displayName();
      switch (offerReply.decision()) {
        case CallArrivedResponseMethod::kAccept:
          decision.kind = OfferDecision::kAccept;
          decision.remoteControl = offerReply.remoteControl();
          if (decision.remoteControl) placeCall(conn.id, callId, {}, false);
          break;
        case CallArrivedResponseMethod::kDecline:
          decision.kind = OfferDecision::kDecline;
          break;
        case CallArrivedResponseMethod::kRedirect:
          decision.kind = OfferDecision::kRedirect;
          decision.targets = offerReply.targets();
          break;
      }
      return;
    }
    CallOriginatedResponseMethod requestReply;
    if (requestReply.parseText(text)) {
      auto origin = originations_.find(requestReply.idNumber());
      if (origin != originations_.end() && origin->second == conn.id) {
        originations_.erase(origin);
        if (requestReply.decision() == CallOriginatedResponseMethod::kAccept) {
          placeCall(conn.id, requestReply.idNumber(), {}, true);
        }
      }
    }
    return;  // a decision for a call never offered: the PBX ignores it
  }
  // The plain answer to the oldest notification still awaiting one.
  const GenericRequestMethod probe(0);
  std::unique_ptr<XmlRpcResponseMethod> response = probe.parseResponse(text);
  const bool isResponse =
      response != nullptr &&
      (!response->isFault() || static_cast<FaultResponseMethod&>(*response).fault() != nullptr);
  if (isResponse) {
    ++counters_.responsesIn;
    if (!conn.awaiting.empty()) conn.awaiting.pop_front();
    return;
  }
  // Neither a call nor an answer: a PBX takes it for a call it does not know.
  send(conn, *makeUnknownMethodFault());
}

void PbxSimulator::Impl::sendState(int connection, CallId callId, int state,
                                   std::optional<int> errorCode) {
  Connection* conn = this->connection(connection);
  if (conn == nullptr) return;
  CallStateChangedMethod changed;
  changed.setState(callId, state, errorCode);
  send(*conn, changed);
}

void PbxSimulator::Impl::placeCall(int connection, CallId callId, std::string_view callee,
                                   bool reportCreated) {
  if (reportCreated) sendState(connection, callId, 0);
  auto listed = [&](const std::vector<std::string>& numbers) {
    return !callee.empty() && std::find(numbers.begin(), numbers.end(), callee) != numbers.end();
  };
  if (listed(options_.busy) || listed(options_.unknown)) {
    sendState(connection, callId, 6, listed(options_.busy) ? 0 : 1);
    return;
  }
  sim::Call& call = calls_[callId];
  call = sim::Call{};
  call.connection = connection;
  call.state = 1;
  call.answerAt = now() + options_.answerDelay;
  sendState(connection, callId, 1);
}

void PbxSimulator::Impl::endCall(CallId callId) {
  auto found = calls_.find(callId);
  if (found == calls_.end()) return;
  const sim::Call call = found->second;
  calls_.erase(found);
  prompts_.erase(callId);
  sendState(call.connection, callId, 3);
  if (call.partner != 0) endCall(call.partner);
}

}  // namespace telvane::tools
