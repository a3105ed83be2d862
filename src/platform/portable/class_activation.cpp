// Class activation: ProgID -> CLSID -> class object -> instance. Class
// objects registered in the process come first; then the in-process server
// that the registrations name, loaded with dlopen and entered through its
// DllGetClassObject.
#include <dlfcn.h>

#include <algorithm>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "com.h"
#include "layer_internal.h"
#include "registry.h"

namespace {

struct RegisteredClass {
  DWORD cookie;
  CLSID clsid;
  IUnknown* factory;  // holds one reference
  DWORD context;
};

std::mutex registeredClassesMutex;
std::vector<RegisteredClass> registeredClasses;
DWORD nextCookie = 1;

// A new reference to the first class object registered for `clsid` in a
// matching context, or null.
IUnknown* registeredClassObject(REFCLSID clsid, DWORD context) {
  std::lock_guard lock(registeredClassesMutex);
  for (const RegisteredClass& entry : registeredClasses) {
    if (entry.clsid == clsid && (entry.context & context) != 0) {
      entry.factory->AddRef();
      return entry.factory;
    }
  }
  return nullptr;
}

HRESULT inprocClassObject(REFCLSID clsid, REFIID riid, void** object) {
  const std::optional<std::string> server = automation::registry::inprocServerOf(clsid);
  if (!server) return REGDB_E_CLASSNOTREG;
  // Never closed: objects of the server may outlive any call here, and a
  // repeated dlopen only counts the library once more.
  void* library = dlopen(server->c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return CO_E_DLLNOTFOUND;
  const auto entry =
      reinterpret_cast<DllGetClassObjectFunction>(dlsym(library, "DllGetClassObject"));
  if (entry == nullptr) return CO_E_ERRORINDLL;
  return entry(clsid, riid, object);
}

}  // namespace

extern "C" {

HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid) {
  if (progId == nullptr || clsid == nullptr) return E_INVALIDARG;
  *clsid = IID_NULL;
  try {
    const std::optional<CLSID> registered = automation::registry::classIdOf(progId);
    if (!registered) return CO_E_CLASSSTRING;
    *clsid = *registered;
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

// Remote servers are not supported: the server information is ignored.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, LPVOID, REFIID riid, LPVOID* object) {
  if (object == nullptr) return E_INVALIDARG;
  *object = nullptr;
  if (!automation::apartmentJoined()) return CO_E_NOTINITIALIZED;
  if (IUnknown* factory = registeredClassObject(clsid, context)) {
    const HRESULT result = factory->QueryInterface(riid, object);
    factory->Release();
    return result;
  }
  if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
  try {
    return inprocClassObject(clsid, riid, object);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid,
                         LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  IClassFactory* factory = nullptr;
  HRESULT result = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory,
                                    reinterpret_cast<void**>(&factory));
  if (FAILED(result)) return result;
  result = factory->CreateInstance(outer, riid, object);
  factory->Release();
  return result;
}

// Registrations live until revoked, whichever thread revokes them; the
// flags (single or multiple use) make no difference within one process.
HRESULT CoRegisterClassObject(REFCLSID clsid, LPUNKNOWN factory, DWORD context, DWORD,
                              LPDWORD cookie) {
  if (factory == nullptr || cookie == nullptr) return E_INVALIDARG;
  *cookie = 0;
  if (!automation::apartmentJoined()) return CO_E_NOTINITIALIZED;
  std::lock_guard lock(registeredClassesMutex);
  registeredClasses.push_back({nextCookie, clsid, factory, context});
  factory->AddRef();
  *cookie = nextCookie++;
  return S_OK;
}

HRESULT CoRevokeClassObject(DWORD cookie) {
  if (!automation::apartmentJoined()) return CO_E_NOTINITIALIZED;
  IUnknown* factory = nullptr;
  {
    std::lock_guard lock(registeredClassesMutex);
    const auto found = std::ranges::find(registeredClasses, cookie, &RegisteredClass::cookie);
    if (found == registeredClasses.end()) return E_INVALIDARG;
    factory = found->factory;
    registeredClasses.erase(found);
  }
  // Released outside the lock: the last release may call back into COM.
  factory->Release();
  return S_OK;
}

}  // extern "C"
