// Which COM apartment, if any, the library has left the calling thread in.
#pragma once

#include <objbase.h>

namespace vardelon::wine {

// Tries to enter a single-threaded apartment and undoes it at once: S_OK
// when the thread had no apartment, RPC_E_CHANGED_MODE when it is in the
// multithreaded one, S_FALSE when it already was single-threaded.
inline HRESULT singleThreadedApartmentProbe() {
  const HRESULT entered = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(entered)) CoUninitialize();
  return entered;
}

}  // namespace vardelon::wine
