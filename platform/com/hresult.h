#pragma once
// Result codes of the automation and module interfaces, with their usual values.
#include <cstdint>

namespace platform {

using HResult = int32_t;

inline constexpr HResult S_OK = 0;
inline constexpr HResult S_FALSE = 1;
inline constexpr HResult E_NOINTERFACE = static_cast<HResult>(0x80004002);
inline constexpr HResult E_POINTER = static_cast<HResult>(0x80004003);
inline constexpr HResult E_FAIL = static_cast<HResult>(0x80004005);
inline constexpr HResult DISP_E_MEMBERNOTFOUND = static_cast<HResult>(0x80020003);
inline constexpr HResult DISP_E_TYPEMISMATCH = static_cast<HResult>(0x80020005);
inline constexpr HResult DISP_E_UNKNOWNNAME = static_cast<HResult>(0x80020006);
inline constexpr HResult DISP_E_OVERFLOW = static_cast<HResult>(0x8002000A);
inline constexpr HResult DISP_E_BADPARAMCOUNT = static_cast<HResult>(0x8002000E);
inline constexpr HResult CLASS_E_CLASSNOTAVAILABLE = static_cast<HResult>(0x80040111);
inline constexpr HResult REGDB_E_CLASSNOTREG = static_cast<HResult>(0x80040154);
inline constexpr HResult CO_E_CLASSSTRING = static_cast<HResult>(0x800401F3);
inline constexpr HResult CO_E_DLLNOTFOUND = static_cast<HResult>(0x800401F8);
inline constexpr HResult SELFREG_E_TYPELIB = static_cast<HResult>(0x80040200);
inline constexpr HResult SELFREG_E_CLASS = static_cast<HResult>(0x80040201);

inline bool succeeded(HResult hr) {
  return hr >= 0;
}

}  // namespace platform
