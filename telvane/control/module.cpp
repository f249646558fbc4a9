// libtelvane.so: the control as a self-registering automation module.
#include <dlfcn.h>

#include <atomic>
#include <memory>
#include <string>

#include "platform/com/class_registry.h"
#include "platform/com/module_exports.h"
#include "telvane/control/registration_data.h"
#include "telvane/control/telvane_ctrl.h"

namespace {

namespace reg = telvane::registration;
using platform::HResult;

std::atomic<int> liveObjects{0};

// The control as the factory hands it out: counted, so the module knows when it may go.
class ModuleControl : public telvane::CTelvaneCtrl {
 public:
  ModuleControl() { ++liveObjects; }
  ~ModuleControl() override { --liveObjects; }
};

class ControlFactory : public platform::ClassFactory {
 public:
  std::unique_ptr<platform::AutomationObject> createInstance() override {
    return std::make_unique<ModuleControl>();
  }
};

ControlFactory factory;

std::string modulePath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&modulePath), &info) == 0 || !info.dli_fname) return {};
  return info.dli_fname;
}

platform::TypeLibRegistration typeLib() {
  return {std::string(reg::kLibId),
          std::string(reg::kTypeLibVersion),
          std::string(reg::kTypeLibHelp),
          modulePath(),
          {{std::string(reg::kDispatchIid), std::string(reg::kDispatchName)},
           {std::string(reg::kEventsIid), std::string(reg::kEventsName)}}};
}

platform::ClassRegistration controlClass() {
  platform::ClassRegistration c;
  c.clsid = reg::kClsid;
  c.progId = reg::kProgId;
  c.typeName = reg::kTypeName;
  c.modulePath = modulePath();
  c.threadingModel = reg::kThreadingModel;
  c.libid = reg::kLibId;
  c.version = reg::kTypeLibVersion;
  c.miscStatus = reg::kMiscStatus;
  c.toolboxBitmap = reg::kToolboxBitmap;
  c.insertable = true;
  c.control = true;
  return c;
}

}  // namespace

extern "C" {

HResult DllRegisterServer() {
  if (!platform::registerTypeLib(typeLib())) return platform::SELFREG_E_TYPELIB;
  if (!platform::registerClass(controlClass())) return platform::SELFREG_E_CLASS;
  return platform::S_OK;
}

HResult DllUnregisterServer() {
  if (!platform::unregisterTypeLib(typeLib())) return platform::SELFREG_E_TYPELIB;
  if (!platform::unregisterClass(controlClass())) return platform::SELFREG_E_CLASS;
  return platform::S_OK;
}

HResult DllGetClassObject(const char* clsid, const char* iid, void** out) {
  if (!out) return platform::E_POINTER;
  *out = nullptr;
  if (!clsid || clsid != reg::kClsid) return platform::CLASS_E_CLASSNOTAVAILABLE;
  if (!iid || std::string_view(iid) != platform::kIID_IClassFactory) {
    return platform::E_NOINTERFACE;
  }
  *out = static_cast<platform::ClassFactory*>(&factory);
  return platform::S_OK;
}

// Tasks the controls posted to a host's dispatcher run code of this module, so they keep it too.
HResult DllCanUnloadNow() {
  const bool idle =
      liveObjects.load() == 0 && telvane::NotificationRelay::tasksInDispatchers() == 0;
  return idle ? platform::S_OK : platform::S_FALSE;
}

}  // extern "C"
