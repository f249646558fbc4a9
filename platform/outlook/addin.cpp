#include "platform/outlook/addin.h"

namespace platform::outlook {

// Defined here so the interface's type information exists once, in this library, for the host
// and for every add-in module.
IDTExtensibility2::~IDTExtensibility2() = default;

IDTExtensibility2* QueryExtensibility(AutomationObject* object) {
  return dynamic_cast<IDTExtensibility2*>(object);
}

}  // namespace platform::outlook
