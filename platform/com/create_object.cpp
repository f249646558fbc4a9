#include "platform/com/create_object.h"

#include <dlfcn.h>

#include <string>

#include "platform/com/class_registry.h"
#include "platform/com/module_exports.h"

namespace platform {

class LoadedModule {
 public:
  explicit LoadedModule(void* handle) : handle_(handle) {}
  // A module that still has work out (DllCanUnloadNow says so) stays loaded for good.
  ~LoadedModule() {
    auto canUnload = reinterpret_cast<DllCanUnloadNowFn>(symbol("DllCanUnloadNow"));
    if (!canUnload || canUnload() == S_OK) dlclose(handle_);
  }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;
  void* symbol(const char* name) const { return dlsym(handle_, name); }

 private:
  void* handle_;
};

ComObject& ComObject::operator=(ComObject&& other) noexcept {
  if (this != &other) {
    reset();
    module_ = std::move(other.module_);
    object_ = std::move(other.object_);
  }
  return *this;
}

ComObject::~ComObject() {
  reset();
}

void ComObject::reset() {
  object_.reset();
  module_.reset();
}

HResult createObject(std::string_view progId, ComObject& out) {
  out.reset();
  auto clsid = clsidFromProgId(progId);
  if (!clsid) return CO_E_CLASSSTRING;
  auto path = inprocServer(*clsid);
  if (!path || path->empty()) return REGDB_E_CLASSNOTREG;

  void* handle = dlopen(path->c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return CO_E_DLLNOTFOUND;
  auto module = std::make_shared<LoadedModule>(handle);
  auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(module->symbol("DllGetClassObject"));
  if (!getClassObject) return CO_E_DLLNOTFOUND;

  void* factory = nullptr;
  HResult hr = getClassObject(clsid->c_str(), kIID_IClassFactory, &factory);
  if (!succeeded(hr)) return hr;
  if (!factory) return E_POINTER;
  std::unique_ptr<AutomationObject> object = static_cast<ClassFactory*>(factory)->createInstance();
  if (!object) return E_FAIL;
  out.module_ = std::move(module);
  out.object_ = std::move(object);
  return S_OK;
}

}  // namespace platform
