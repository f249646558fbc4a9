// The request operations (owner thread): each builds its PBX method and queues it; the
// synchronous ones then wait for the answer.
#include <cstdio>
#include <filesystem>
#include <limits>
#include <system_error>

#include "telvane/protocol/call_control.h"
#include "telvane/protocol/call_events.h"
#include "telvane/protocol/login.h"
#include "telvane/protocol/struct_reading_services.h"
#include "telvane/protocol/subscriptions.h"
#include "telvane/protocol/system_service.h"
#include "telvane/session/pbx_session.h"

namespace telvane {
namespace {

const std::string kFailedText = "(Failed)";

// Opens a regular file for upload and tells its size; null when it cannot be opened or its size
// does not fit the request.
UploadFile openUpload(const std::string& path, std::uint32_t& size) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return nullptr;
  UploadFile file(std::fopen(path.c_str(), "rb"));
  if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) return nullptr;
  const long length = std::ftell(file.get());
  if (length < 0 || length > std::numeric_limits<std::int32_t>::max()) return nullptr;
  std::rewind(file.get());
  size = static_cast<std::uint32_t>(length);
  return file;
}

}  // namespace

bool PbxSession::queueAsync(std::unique_ptr<XmlRpcMethod> method) {
  PendingRequest record;
  record.method = std::move(method);
  return enqueue(std::move(record), true);
}

std::unique_ptr<XmlRpcResponseMethod> PbxSession::requestAndWait(
    std::unique_ptr<XmlRpcRequestMethod> method, bool requireLoggedIn, UploadFile file,
    std::uint32_t fileSize) {
  const int type = method->type();
  PendingRequest record;
  record.method = std::move(method);
  record.completion = std::make_shared<SyncCompletion>();
  record.uploadFile = std::move(file);
  record.uploadSize = fileSize;
  auto completion = record.completion;
  if (!enqueue(std::move(record), requireLoggedIn)) return nullptr;
  auto response = completion->wait(syncWaitLimit());
  if (response && response->type() != type) return nullptr;
  return response;
}

CallId PbxSession::CreateCall(const std::string& from, const std::string& to,
                              const std::string& displayName, const std::string& userName) {
  if (state() != SessionState::kLoggedIn) return 0;
  PartyAddress callee;
  if (!parseParty(to, callee)) return 0;
  auto method = std::make_unique<CreateCallMethod>();
  const CallId callId = newId();
  if (!method->setCall(callId, from, callee, displayName, userName)) return 0;
  return queueAsync(std::move(method)) ? callId : 0;
}

bool PbxSession::CloseCall(CallId callId) {
  auto method = std::make_unique<CloseCallMethod>();
  method->setCallId(callId);
  return queueAsync(std::move(method));
}

bool PbxSession::TransferCall(CallId callId, const std::string& to) {
  if (state() != SessionState::kLoggedIn) return false;
  PartyAddress target;
  if (!parseParty(to, target)) return false;
  auto method = std::make_unique<TransferCallMethod>();
  if (!method->setTransfer(callId, target)) return false;
  return queueAsync(std::move(method));
}

bool PbxSession::JoinCalls(CallId callId, CallId otherCallId) {
  auto method = std::make_unique<JoinCallsMethod>();
  method->setCalls(callId, otherCallId);
  return queueAsync(std::move(method));
}

bool PbxSession::UnjoinCalls(CallId callId, CallId otherCallId) {
  auto method = std::make_unique<UnjoinCallsMethod>();
  method->setCalls(callId, otherCallId);
  return queueAsync(std::move(method));
}

bool PbxSession::PlayMessage(CallId callId, const std::string& fileName, std::int16_t playCount) {
  auto method = std::make_unique<PlayMessageMethod>();
  method->setPlay(callId, fileName, playCount);
  return queueAsync(std::move(method));
}

bool PbxSession::InjectDTMF(CallId callId, const std::string& digits) {
  auto method = std::make_unique<InjectDTMFMethod>();
  method->set(callId, digits);
  return queueAsync(std::move(method));
}

bool PbxSession::EnableDtmfDetection(CallId callId, bool on) {
  auto method = std::make_unique<EnableDtmfDetectionMethod>();
  method->setDetection(callId, on ? 1 : 0);
  return queueAsync(std::move(method));
}

bool PbxSession::IncomingCallHandling(const std::string& extension, bool enable) {
  auto method = std::make_unique<IncomingCallHandlingMethod>();
  method->setHandling(extension, enable ? 1 : 0);
  return queueAsync(std::move(method));
}

bool PbxSession::GetExtension(const std::string& user) {
  auto method = std::make_unique<GetExtensionMethod>();
  method->setUser(user);
  return queueAsync(std::move(method));
}

CallId PbxSession::queueSubscription(std::unique_ptr<XmlRpcRequestMethod> method,
                                     CallId subscriptionId) {
  return queueAsync(std::move(method)) ? subscriptionId : 0;
}

CallId PbxSession::SubscribeToVoiceMail(const std::string& extension) {
  auto method = std::make_unique<SubscribeMethod>();
  const CallId id = method->subscribeToVoiceMail(extension);
  return queueSubscription(std::move(method), id);
}

CallId PbxSession::SubscribeToDialog(const std::string& extension) {
  auto method = std::make_unique<SubscribeMethod>();
  const CallId id = method->subscribeToDialog(extension);
  return queueSubscription(std::move(method), id);
}

CallId PbxSession::SubscribeToPresence(const std::string& extension) {
  auto method = std::make_unique<SubscribeMethod>();
  const CallId id = method->subscribeToPresence(extension);
  return queueSubscription(std::move(method), id);
}

CallId PbxSession::SubscribeToCDR() {
  auto method = std::make_unique<SubscribeMethod>();
  const CallId id = method->subscribeToCdr();
  return queueSubscription(std::move(method), id);
}

CallId PbxSession::SubscribeToCR() {
  auto method = std::make_unique<SubscribeMethod>();
  const CallId id = method->subscribeToCallRequests();
  if (queueSubscription(std::move(method), id) == 0) return 0;
  crSubscriptionId_ = id;
  return id;
}

CallId PbxSession::SubscribeToExtList() {
  auto method = std::make_unique<SubscribeMethod>();
  const CallId id = method->subscribeToExtensionList();
  return queueSubscription(std::move(method), id);
}

bool PbxSession::Unsubscribe(CallId subscriptionId) {
  if (state() != SessionState::kLoggedIn) return false;
  CallId current = subscriptionId;
  crSubscriptionId_.compare_exchange_strong(current, 0);
  auto method = std::make_unique<UnsubscribeMethod>();
  method->setSubscriptionId(subscriptionId);
  return queueAsync(std::move(method));
}

bool PbxSession::AcceptCall(CallId callId, const std::string& callerId,
                            const std::string& callerDisplayName, bool remoteControl) {
  auto answer = std::make_unique<CallArrivedResponseMethod>();
  answer->setAccept(callId, callerId, callerDisplayName, remoteControl);
  return queueAsync(std::move(answer));
}

bool PbxSession::RejectCall(CallId callId) {
  auto answer = std::make_unique<CallArrivedResponseMethod>();
  answer->setDecline(callId);
  return queueAsync(std::move(answer));
}

bool PbxSession::ForwardCall(CallId callId, const std::string& callee, const std::string& callerId,
                             const std::string& callerDisplayName) {
  if (state() != SessionState::kLoggedIn) return false;
  PartyAddress target;
  if (!parseParty(callee, target)) return false;
  auto answer = std::make_unique<CallArrivedResponseMethod>();
  if (!answer->setRedirect(callId, target, callerId, callerDisplayName)) return false;
  return queueAsync(std::move(answer));
}

bool PbxSession::ResponseToCRCall(CallId callId, bool accept) {
  if (state() != SessionState::kLoggedIn) return false;
  const CallId subscriptionId = crSubscriptionId_;
  if (subscriptionId == 0) return false;
  auto answer = std::make_unique<CallOriginatedResponseMethod>();
  if (accept) {
    answer->setAccept(callId, subscriptionId);
  } else {
    answer->setDecline(callId);
  }
  return queueAsync(std::move(answer));
}

bool PbxSession::GetSystemInfo(std::string& uniqueId, std::string& softwareVersion) {
  auto method = std::make_unique<GetSystemInfoMethod>();
  method->setRequestId(newId());
  const auto response = requestAndWait(std::move(method), true);
  if (!response) return false;
  if (response->isFault()) {
    uniqueId = kFailedText;
    softwareVersion = kFailedText;
    return true;
  }
  const auto* info = dynamic_cast<const GetSystemInfoResponseMethod*>(response.get());
  if (info == nullptr) return false;
  uniqueId = info->uniqueId();
  softwareVersion = info->version();
  return true;
}

bool PbxSession::GetWAVFiles(const std::string& extension, std::string& list) {
  list.clear();
  auto method = std::make_unique<GetFilesMethod>();
  method->setRequest(newId(), extension);
  const auto response = requestAndWait(std::move(method), true);
  if (!response || response->isFault() || state() != SessionState::kLoggedIn) return false;
  const auto* files = dynamic_cast<const GetFilesResponseMethod*>(response.get());
  if (files == nullptr) return false;
  for (const auto& name : files->fileNames()) {
    list += name;
    list += ':';
  }
  return true;
}

bool PbxSession::DeleteFile(const std::string& extension, const std::string& fileName) {
  auto method = std::make_unique<FileDeleteMethod>();
  method->setRequest(newId(), extension, fileName);
  const auto response = requestAndWait(std::move(method), true);
  return response && !response->isFault() && state() == SessionState::kLoggedIn;
}

bool PbxSession::uploadRequest(std::unique_ptr<XmlRpcRequestMethod> method, UploadFile file,
                               std::uint32_t fileSize) {
  const auto response = requestAndWait(std::move(method), true, std::move(file), fileSize);
  const auto* answer = dynamic_cast<const IdFlagResponseMethod*>(response.get());
  return answer != nullptr && !answer->isFault() && answer->flag();
}

bool PbxSession::TransferFile(const std::string& extension, const std::string& localPath) {
  if (state() != SessionState::kLoggedIn) return false;
  std::uint32_t size = 0;
  UploadFile file = openUpload(localPath, size);
  if (!file) return false;
  auto method = std::make_unique<FileTransferMethod>();
  method->setTransfer(newId(), extension, localPath, static_cast<std::int32_t>(size));
  return uploadRequest(std::move(method), std::move(file), size);
}

bool PbxSession::UpdateConfiguration(const std::string& localPath) {
  if (state() != SessionState::kLoggedIn) return false;
  std::uint32_t size = 0;
  UploadFile file = openUpload(localPath, size);
  if (!file) return false;
  auto method = std::make_unique<ConfigurationUpdateMethod>();
  method->setRequest(newId(), pathBaseName(localPath), static_cast<std::int32_t>(size));
  return uploadRequest(std::move(method), std::move(file), size);
}

}  // namespace telvane
