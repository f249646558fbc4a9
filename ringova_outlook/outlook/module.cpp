// libringova_outlook.so: the add-in as a self-registering module Outlook loads by its ProgID.
#include <dlfcn.h>

#include <atomic>
#include <memory>
#include <string>

#include "platform/com/class_registry.h"
#include "platform/com/module_exports.h"
#include "platform/outlook/addin_manager.h"
#include "platform/registry/registry.h"
#include "ringova_outlook/outlook/connect.h"

namespace {

using platform::HResult;

constexpr const char* kClsid = "{5C3A9E21-7B64-4D0F-9A82-3E1B6C4F0D57}";
constexpr const char* kTypeName = "Ringova_Outlook.Connect";

std::atomic<int> live_objects{0};
// Once an add-in object was made the module stays: the libraries it started (fonts, the
// Internet client) keep state that does not survive their unloading.
std::atomic<bool> used{false};

class ModuleConnect final : public ringova::Connect {
 public:
  ModuleConnect() { ++live_objects; }
  ~ModuleConnect() override { --live_objects; }
};

class ConnectFactory final : public platform::ClassFactory {
 public:
  std::unique_ptr<platform::AutomationObject> createInstance() override {
    used = true;
    return std::make_unique<ModuleConnect>();
  }
};

ConnectFactory factory;

std::string ModulePath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ModulePath), &info) == 0 || !info.dli_fname) return {};
  return info.dli_fname;
}

platform::ClassRegistration ConnectClass() {
  platform::ClassRegistration c;
  c.clsid = kClsid;
  c.progId = std::string(ringova::kAddinProgId);
  c.typeName = kTypeName;
  c.modulePath = ModulePath();
  c.threadingModel = "Apartment";
  return c;
}

platform::outlook::AddInRegistration OutlookAddIn() {
  return {std::string(ringova::kAddinProgId), std::string(ringova::kAddinFriendlyName),
          std::string(ringova::kAddinFriendlyName), platform::outlook::kLoadAtStartup};
}

}  // namespace

extern "C" {

HResult DllRegisterServer() {
  if (!platform::registerClass(ConnectClass())) return platform::SELFREG_E_CLASS;
  platform::Registry user(platform::RegistryHive::CurrentUser);
  if (!platform::outlook::registerAddIn(user, OutlookAddIn())) return platform::SELFREG_E_CLASS;
  return platform::S_OK;
}

HResult DllUnregisterServer() {
  platform::Registry user(platform::RegistryHive::CurrentUser);
  const bool addIn = platform::outlook::unregisterAddIn(user, ringova::kAddinProgId);
  const bool cls = platform::unregisterClass(ConnectClass());
  return addIn && cls ? platform::S_OK : platform::SELFREG_E_CLASS;
}

HResult DllGetClassObject(const char* clsid, const char* iid, void** out) {
  if (!out) return platform::E_POINTER;
  *out = nullptr;
  if (!clsid || std::string_view(clsid) != kClsid) return platform::CLASS_E_CLASSNOTAVAILABLE;
  if (!iid || std::string_view(iid) != platform::kIID_IClassFactory) {
    return platform::E_NOINTERFACE;
  }
  *out = static_cast<platform::ClassFactory*>(&factory);
  return platform::S_OK;
}

HResult DllCanUnloadNow() {
  return live_objects.load() == 0 && !used.load() ? platform::S_OK : platform::S_FALSE;
}

}  // extern "C"
