#pragma once
// The four entry points every automation module exports (extern "C"), and what they exchange.
//
//   DllRegisterServer()    writes the module's registry entries; S_OK, SELFREG_E_TYPELIB or
//                          SELFREG_E_CLASS.
//   DllUnregisterServer()  removes them; the same codes.
//   DllGetClassObject(clsid, iid, out)
//                          for a class of the module and kIID_IClassFactory, stores a
//                          ClassFactory* in *out (owned by the module, valid while it is loaded)
//                          and returns S_OK; CLASS_E_CLASSNOTAVAILABLE or E_NOINTERFACE else.
//   DllCanUnloadNow()      S_OK when no object of the module is alive, S_FALSE otherwise.
//
// GUIDs travel as their registry text, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#include "platform/com/hresult.h"

namespace platform {

inline constexpr const char* kIID_IClassFactory = "{00000001-0000-0000-C000-000000000046}";

using DllRegisterServerFn = HResult (*)();
using DllUnregisterServerFn = HResult (*)();
using DllGetClassObjectFn = HResult (*)(const char* clsid, const char* iid, void** out);
using DllCanUnloadNowFn = HResult (*)();

}  // namespace platform
