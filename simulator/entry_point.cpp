// The simulator's module entry points: DllGetClassObject, which class
// activation looks up after loading the registered file, and DllCanUnloadNow.
#include "class_factory.h"
#include "platform/automation.h"

namespace {

// VARDELON_SIMULATOR_CLSID comes from the build, which writes the same
// identifier into the registration file.
bool isSimulatorClass(REFCLSID clsid) {
  CLSID simulator{};
  return SUCCEEDED(CLSIDFromString(OLESTR("") VARDELON_SIMULATOR_CLSID, &simulator)) &&
         IsEqualCLSID(clsid, simulator);
}

}  // namespace

// The module's two exports, undecorated: on Windows its .def file names them,
// elsewhere their default visibility does.
STDAPI __attribute__((visibility("default")))
DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!isSimulatorClass(clsid)) return CLASS_E_CLASSNOTAVAILABLE;
  return vardelon::simulator::ClassFactory::instance().QueryInterface(riid, object);
}

STDAPI __attribute__((visibility("default"))) DllCanUnloadNow() {
  return vardelon::simulator::ClassFactory::instance().inUse() ? S_FALSE : S_OK;
}
