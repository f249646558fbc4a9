#include "ringova_outlook/frontend/telvane_client.h"

namespace ringova {

using platform::Variant;

TelvaneClient::TelvaneClient(platform::ui::MessageLoop& loop) : dispatcher_(loop) {}

TelvaneClient::~TelvaneClient() {
  Release();
}

platform::HResult TelvaneClient::Create() {
  Release();
  platform::HResult hr = platform::createObject(kTelvaneProgId, object_);
  if (object_) object_->setDispatcher(&dispatcher_);
  return hr;
}

void TelvaneClient::Release() {
  if (!object_) return;
  object_->setDispatcher(nullptr);
  object_.reset();
}

platform::HResult TelvaneClient::Invoke(std::string_view method, std::vector<Variant> args,
                                        Variant& result) {
  result = Variant();
  if (!object_) return platform::E_FAIL;
  platform::DispId id = object_->getIDsOfNames(method);
  if (id == platform::DISPID_UNKNOWN) return platform::DISP_E_MEMBERNOTFOUND;
  return object_->invoke(id, args, result);
}

bool TelvaneClient::Advise(std::string_view event, platform::EventHandler handler) {
  if (!object_) return false;
  platform::DispId id = object_->getEventIDsOfNames(event);
  return id != platform::DISPID_UNKNOWN && object_->advise(id, std::move(handler)) != 0;
}

bool TelvaneClient::CallBool(std::string_view method, std::vector<Variant> args) {
  Variant result;
  bool ok = false;
  return Invoke(method, std::move(args), result) == platform::S_OK && result.toBool(ok) && ok;
}

bool TelvaneClient::SetConnectionMode(bool secure) {
  return CallBool("SetConnectionMode", {secure});
}

bool TelvaneClient::SConnect(const std::string& address, int port, std::int32_t timeout,
                             const std::string& user, const std::string& timestamp,
                             const std::string& auth) {
  // The interface carries the port as a signed 16-bit number; the control reads its bits
  // unsigned, so ports above 32767 pass as their two's-complement value.
  auto portBits = static_cast<std::int16_t>(static_cast<std::uint16_t>(port));
  return CallBool("SConnect", {address, portBits, timeout, user, timestamp, auth});
}

bool TelvaneClient::GetSystemInfo(std::string& uniqueId, std::string& softwareVersion) {
  return CallBool("GetSystemInfo", {Variant::ref(uniqueId), Variant::ref(softwareVersion)});
}

std::string TelvaneClient::SubscribeToExtList() {
  Variant result;
  std::string id;
  if (Invoke("SubscribeToExtList", {}, result) != platform::S_OK || !result.toText(id)) return "0";
  return id;
}

bool TelvaneClient::Unsubscribe(const std::string& subscriptionId) {
  return CallBool("Unsubscribe", {subscriptionId});
}

bool TelvaneClient::IncomingCallHandling(const std::string& extension, bool enable) {
  return CallBool("IncomingCallHandling", {extension, enable});
}

bool TelvaneClient::Disconnect() {
  return CallBool("Disconnect", {});
}

}  // namespace ringova
