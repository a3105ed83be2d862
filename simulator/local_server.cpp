// vardelon_simulator.exe: the simulator as a local server, in a process of
// its own, as the application is. COM starts it ("-Embedding") when a client
// asks for "Vardelon.Application" registered under LocalServer32; it offers
// its class object to every client and ends once it has served one and no
// client holds any of its objects. After "Quit" the objects still held answer
// as a server that has gone would, so the process ends as soon as the client
// lets go of them.
#include <atomic>

#include "class_factory.h"
#include "platform/automation.h"

namespace {

using vardelon::simulator::ClassFactory;

// The simulator's class object, seen from other processes: it remembers that
// a client has been served, so that the process knows when its work is done.
class LocalClassObject final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  // The object lives as long as the process.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    const HRESULT hr = ClassFactory::instance().CreateInstance(outer, riid, object);
    if (SUCCEEDED(hr)) served_ = true;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    const HRESULT hr = ClassFactory::instance().LockServer(lock);
    if (lock) served_ = true;
    return hr;
  }

  bool served() const { return served_; }

 private:
  std::atomic<bool> served_{false};
};

// The server objects release themselves from the clients' threads without
// telling anyone, so the main thread looks at the class factory's own count
// now and then.
template <typename Condition>
void waitUntil(Condition condition) {
  constexpr DWORD kPollMilliseconds = 50;
  while (!condition()) Sleep(kPollMilliseconds);
}

}  // namespace

int main() {
  // Calls from clients arrive on COM's own threads of the multithreaded
  // apartment; the simulator locks its application for each.
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
  CLSID simulator{};
  LocalClassObject classObject;
  DWORD registration = 0;
  // VARDELON_SIMULATOR_CLSID comes from the build, which writes the same
  // identifier into the registration file.
  HRESULT hr = CLSIDFromString(OLESTR("") VARDELON_SIMULATOR_CLSID, &simulator);
  if (SUCCEEDED(hr)) {
    hr = CoRegisterClassObject(simulator, &classObject, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                               &registration);
  }
  if (SUCCEEDED(hr)) {
    ClassFactory& factory = ClassFactory::instance();
    waitUntil([&] { return classObject.served() && !factory.inUse(); });
    CoRevokeClassObject(registration);
    // A client that came in just before the revocation is still served.
    waitUntil([&] { return !factory.inUse(); });
  }
  CoUninitialize();
  return SUCCEEDED(hr) ? 0 : 1;
}
