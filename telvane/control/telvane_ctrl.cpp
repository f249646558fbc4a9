#include "telvane/control/telvane_ctrl.h"

#include <algorithm>

#include "telvane/control/control_tables.h"
#include "telvane/xmlrpc/call_id.h"

namespace telvane {

using platform::DispId;
using platform::HResult;
using platform::Variant;

namespace {

uint16_t portBits(int16_t port) {
  return static_cast<uint16_t>(port);
}

}  // namespace

CTelvaneCtrl::CTelvaneCtrl(SessionConfig config)
    : relay_([this](const Notification& n) { raise(n); }),
      session_(std::make_unique<PbxSession>(owner_, std::move(config))) {}

CTelvaneCtrl::~CTelvaneCtrl() {
  // Teardown raises nothing: the relay refuses before the session disconnects.
  relay_.close();
  session_.reset();
}

void CTelvaneCtrl::setDispatcher(platform::OwnerDispatcher* dispatcher) {
  relay_.setDispatcher(dispatcher);
}

// ---- methods

bool CTelvaneCtrl::Connect(const std::string& serverAddress, int16_t serverPort, int32_t timeout,
                           const std::string& username, const std::string& password) {
  return within<interface::MethodId::Connect>([&] {
    return session_->Connect(serverAddress, portBits(serverPort), timeout, username, password);
  });
}

bool CTelvaneCtrl::Disconnect() {
  return within<interface::MethodId::Disconnect>([&] { return session_->Disconnect(); });
}

std::string CTelvaneCtrl::CreateCall(const std::string& from, const std::string& to,
                                     const std::string& displayName) {
  return within<interface::MethodId::CreateCall>(
      [&] { return formatId(session_->CreateCall(from, to, displayName, "")); });
}

bool CTelvaneCtrl::CloseCall(const std::string& callID) {
  return within<interface::MethodId::CloseCall>(
      [&] { return session_->CloseCall(parseId(callID)); });
}

bool CTelvaneCtrl::TransferCall(const std::string& callID, const std::string& to) {
  return within<interface::MethodId::TransferCall>(
      [&] { return session_->TransferCall(parseId(callID), to); });
}

bool CTelvaneCtrl::JoinCalls(const std::string& callID, const std::string& callIDtoJoin) {
  return within<interface::MethodId::JoinCalls>(
      [&] { return session_->JoinCalls(parseId(callID), parseId(callIDtoJoin)); });
}

bool CTelvaneCtrl::UnjoinCalls(const std::string& callID, const std::string& callIDtoUnjoin) {
  return within<interface::MethodId::UnjoinCalls>(
      [&] { return session_->UnjoinCalls(parseId(callID), parseId(callIDtoUnjoin)); });
}

bool CTelvaneCtrl::PlayMessage(const std::string& callID, const std::string& fileName,
                               int16_t playCount) {
  return within<interface::MethodId::PlayMessage>(
      [&] { return session_->PlayMessage(parseId(callID), fileName, playCount); });
}

bool CTelvaneCtrl::EnableDtmfDetection(const std::string& callID, bool onoff) {
  return within<interface::MethodId::EnableDtmfDetection>(
      [&] { return session_->EnableDtmfDetection(parseId(callID), onoff); });
}

bool CTelvaneCtrl::IncomingCallHandling(const std::string& extensionName, bool bEnable) {
  return within<interface::MethodId::IncomingCallHandling>(
      [&] { return session_->IncomingCallHandling(extensionName, bEnable); });
}

bool CTelvaneCtrl::AcceptCall(const std::string& callID, const std::string& callerID,
                              const std::string& callerDispName, bool bRemControl) {
  return within<interface::MethodId::AcceptCall>(
      [&] { return session_->AcceptCall(parseId(callID), callerID, callerDispName, bRemControl); });
}

bool CTelvaneCtrl::RejectCall(const std::string& callID) {
  return within<interface::MethodId::RejectCall>(
      [&] { return session_->RejectCall(parseId(callID)); });
}

bool CTelvaneCtrl::ForwardCall(const std::string& callID, const std::string& callee,
                               const std::string& callerID, const std::string& callerDispName) {
  return within<interface::MethodId::ForwardCall>(
      [&] { return session_->ForwardCall(parseId(callID), callee, callerID, callerDispName); });
}

std::string CTelvaneCtrl::SubscribeToVoiceMail(const std::string& extensionName) {
  return within<interface::MethodId::SubscribeToVoiceMail>(
      [&] { return formatId(session_->SubscribeToVoiceMail(extensionName)); });
}

bool CTelvaneCtrl::Unsubscribe(const std::string& subscrID) {
  return within<interface::MethodId::Unsubscribe>(
      [&] { return session_->Unsubscribe(parseId(subscrID)); });
}

bool CTelvaneCtrl::InjectDTMF(const std::string& callID, const std::string& DTMFstring) {
  return within<interface::MethodId::InjectDTMF>(
      [&] { return session_->InjectDTMF(parseId(callID), DTMFstring); });
}

bool CTelvaneCtrl::SConnect(const std::string& serverAddress, int16_t serverPort, int32_t timeout,
                            const std::string& username, const std::string& timestamp,
                            const std::string& auth) {
  return within<interface::MethodId::SConnect>([&] {
    return session_->SConnect(serverAddress, portBits(serverPort), timeout, username, timestamp,
                              auth);
  });
}

bool CTelvaneCtrl::GetExtension(const std::string& username) {
  return within<interface::MethodId::GetExtension>(
      [&] { return session_->GetExtension(username); });
}

std::string CTelvaneCtrl::SubscribeToCDR() {
  return within<interface::MethodId::SubscribeToCDR>(
      [&] { return formatId(session_->SubscribeToCDR()); });
}

bool CTelvaneCtrl::SetConnectionMode(bool secure) {
  return within<interface::MethodId::SetConnectionMode>(
      [&] { return session_->SetConnectionMode(secure); });
}

bool CTelvaneCtrl::GetWAVFiles(const std::string& extensionName, std::string& listWAV) {
  return within<interface::MethodId::GetWAVFiles>([&] {
    std::string list;
    bool ok = session_->GetWAVFiles(extensionName, list);
    listWAV = ok ? list : std::string();
    return ok;
  });
}

bool CTelvaneCtrl::TransferFile(const std::string& extensionName, const std::string& fileName) {
  return within<interface::MethodId::TransferFile>(
      [&] { return session_->TransferFile(extensionName, fileName); });
}

bool CTelvaneCtrl::DeleteFile(const std::string& extensionName, const std::string& fileName) {
  return within<interface::MethodId::DeleteFile>(
      [&] { return session_->DeleteFile(extensionName, fileName); });
}

std::string CTelvaneCtrl::SubscribeToCR() {
  return within<interface::MethodId::SubscribeToCR>(
      [&] { return formatId(session_->SubscribeToCR()); });
}

bool CTelvaneCtrl::ResponseToCRCall(const std::string& callID, bool bIsAccept) {
  return within<interface::MethodId::ResponseToCRCall>(
      [&] { return session_->ResponseToCRCall(parseId(callID), bIsAccept); });
}

std::string CTelvaneCtrl::SubscribeToDialog(const std::string& extensionName) {
  return within<interface::MethodId::SubscribeToDialog>(
      [&] { return formatId(session_->SubscribeToDialog(extensionName)); });
}

std::string CTelvaneCtrl::SubscribeToPresence(const std::string& extensionName) {
  return within<interface::MethodId::SubscribeToPresence>(
      [&] { return formatId(session_->SubscribeToPresence(extensionName)); });
}

bool CTelvaneCtrl::GetSystemInfo(std::string& uniqueID, std::string& softVersion) {
  return within<interface::MethodId::GetSystemInfo>([&] {
    std::string id, version;
    if (!session_->GetSystemInfo(id, version)) return false;
    uniqueID = std::move(id);
    softVersion = std::move(version);
    return true;
  });
}

std::string CTelvaneCtrl::SubscribeToExtList() {
  return within<interface::MethodId::SubscribeToExtList>(
      [&] { return formatId(session_->SubscribeToExtList()); });
}

bool CTelvaneCtrl::UpdateConfiguration(const std::string& fileName) {
  return within<interface::MethodId::UpdateConfiguration>(
      [&] { return session_->UpdateConfiguration(fileName); });
}

std::string CTelvaneCtrl::CreateCallCID(const std::string& from, const std::string& to,
                                        const std::string& displayName,
                                        const std::string& username) {
  return within<interface::MethodId::CreateCallCID>(
      [&] { return formatId(session_->CreateCall(from, to, displayName, username)); });
}

// ---- dispatch interface

const std::vector<platform::MemberInfo>& CTelvaneCtrl::methods() const {
  return methodInfos();
}

const std::vector<platform::MemberInfo>& CTelvaneCtrl::events() const {
  return eventInfos();
}

HResult CTelvaneCtrl::invoke(DispId member, std::vector<Variant>& args, Variant& result) {
  const MethodEntry* entry = findMethodEntry(member);
  const platform::MemberInfo* info = platform::findMember(methodInfos(), member);
  if (!entry || !info) return platform::DISP_E_MEMBERNOTFOUND;
  HResult hr = platform::coerceArguments(*info, args);
  if (!platform::succeeded(hr)) return hr;
  result = entry->call(*this, args);
  return platform::S_OK;
}

uint32_t CTelvaneCtrl::advise(DispId event, platform::EventHandler handler) {
  if (!findEventEntry(event) || !handler) return 0;
  uint32_t cookie = nextCookie_++;
  connections_.push_back({cookie, event, std::move(handler), nullptr});
  return cookie;
}

uint32_t CTelvaneCtrl::connectEvents(TelvaneEvents& sink) {
  uint32_t cookie = nextCookie_++;
  connections_.push_back({cookie, platform::DISPID_UNKNOWN, nullptr, &sink});
  return cookie;
}

bool CTelvaneCtrl::unadvise(uint32_t cookie) {
  return disconnectEvents(cookie);
}

bool CTelvaneCtrl::disconnectEvents(uint32_t cookie) {
  auto it = std::find_if(connections_.begin(), connections_.end(),
                         [&](const Connection& c) { return c.cookie == cookie; });
  if (it == connections_.end()) return false;
  connections_.erase(it);
  return true;
}

// ---- events

void CTelvaneCtrl::fire(DispId event, std::vector<Variant> args) {
  const EventEntry* entry = findEventEntry(event);
  if (!entry) return;
  // Handlers may connect and disconnect others: walk by cookie and skip the gone ones.
  std::vector<uint32_t> cookies;
  for (const Connection& c : connections_) {
    if (c.event == event || c.event == platform::DISPID_UNKNOWN) cookies.push_back(c.cookie);
  }
  for (uint32_t cookie : cookies) {
    auto it = std::find_if(connections_.begin(), connections_.end(),
                           [&](const Connection& c) { return c.cookie == cookie; });
    if (it == connections_.end()) continue;
    if (it->sink) {
      entry->toSink(*it->sink, args);
    } else {
      platform::EventHandler handler = it->handler;  // may disconnect itself while running
      handler(args);
    }
  }
}

}  // namespace telvane
