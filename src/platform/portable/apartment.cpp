// Apartments: each thread counts its own CoInitialize(Ex) calls and keeps
// the concurrency model of the first one, as Windows does.
#include "com.h"
#include "layer_internal.h"

namespace {

struct Apartment {
  ULONG initialisations = 0;
  bool singleThreaded = false;
};

thread_local Apartment currentApartment;

}  // namespace

namespace automation {

bool apartmentJoined() {
  return currentApartment.initialisations > 0;
}

}  // namespace automation

extern "C" {

// The reserved pointer is ignored, as Windows does for old applications.
HRESULT CoInitializeEx(LPVOID, DWORD model) {
  const bool singleThreaded = (model & COINIT_APARTMENTTHREADED) != 0;
  Apartment& apartment = currentApartment;
  if (apartment.initialisations == 0) {
    apartment = {1, singleThreaded};
    return S_OK;
  }
  if (apartment.singleThreaded != singleThreaded) return RPC_E_CHANGED_MODE;
  ++apartment.initialisations;
  return S_FALSE;
}

HRESULT CoInitialize(LPVOID reserved) {
  return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

// An unbalanced call is ignored, as on Windows.
void CoUninitialize() {
  if (currentApartment.initialisations > 0) --currentApartment.initialisations;
}

}  // extern "C"
