#pragma once
// Creating an automation object by its ProgID, as a host does: the ProgID gives the CLSID, the
// CLSID the module that serves it; the module is loaded, its class factory fetched through
// DllGetClassObject, and the object made. The module stays loaded while the object lives, and
// after that as long as DllCanUnloadNow says it must (work it handed to the host, such as tasks
// in a dispatcher, runs its code); such a module is never unloaded.
#include <memory>
#include <string_view>

#include "platform/com/automation.h"
#include "platform/com/hresult.h"

namespace platform {

class LoadedModule;

// An object made by a module, together with the module that must outlive it.
class ComObject {
 public:
  ComObject() = default;
  ComObject(ComObject&&) noexcept = default;
  ComObject& operator=(ComObject&&) noexcept;
  ~ComObject();

  AutomationObject* get() const { return object_.get(); }
  AutomationObject* operator->() const { return object_.get(); }
  explicit operator bool() const { return object_ != nullptr; }
  void reset();  // destroys the object, then lets the module go

 private:
  friend HResult createObject(std::string_view progId, ComObject& out);
  std::shared_ptr<LoadedModule> module_;  // declared first: released after the object
  std::unique_ptr<AutomationObject> object_;
};

// S_OK and the object in `out`; otherwise `out` is empty and the code says why:
// CO_E_CLASSSTRING (ProgID not registered), REGDB_E_CLASSNOTREG (no module for the class),
// CO_E_DLLNOTFOUND (module cannot be loaded or lacks DllGetClassObject), the module's own code
// from DllGetClassObject, or E_FAIL when the factory makes no object.
HResult createObject(std::string_view progId, ComObject& out);

}  // namespace platform
