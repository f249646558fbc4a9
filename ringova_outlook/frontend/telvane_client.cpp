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

bool TelvaneClient::IsTrue(platform::HResult hr, const Variant& result) {
  bool ok = false;
  return hr == platform::S_OK && result.toBool(ok) && ok;
}

std::string TelvaneClient::IdText(platform::HResult hr, const Variant& result) {
  std::string id;
  if (hr != platform::S_OK || !result.toText(id) || id.empty()) return "0";
  return id;
}

}  // namespace ringova
