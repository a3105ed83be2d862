// The simulator's module entry point: the one symbol the library's class
// activation looks up after loading the registered file.
#include "class_factory.h"
#include "platform/automation.h"

namespace {

// VARDELON_SIMULATOR_CLSID comes from the build, which writes the same
// identifier into the registration file.
bool isSimulatorClass(REFCLSID clsid) {
  CLSID simulator{};
  return SUCCEEDED(CLSIDFromString(u"" VARDELON_SIMULATOR_CLSID, &simulator)) &&
         IsEqualCLSID(clsid, simulator);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid,
                                                                            REFIID riid,
                                                                            void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!isSimulatorClass(clsid)) return CLASS_E_CLASSNOTAVAILABLE;
  return vardelon::simulator::ClassFactory::instance().QueryInterface(riid, object);
}
