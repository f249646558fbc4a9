#pragma once
// Every C entry point runs its body through Guarded: no exception leaves the library.
#include <exception>

#include "include/telvane/telvane_c.h"

namespace telvane::capi {

template <class Fn>
int Guarded(Fn fn) {
  try {
    return fn();
  } catch (const std::exception&) {
    return TELVANE_E_INTERNAL;
  }
}

}  // namespace telvane::capi
