// The VardelonLink DLL loaded as a JVM on Windows loads it, with its native
// methods found under the names the JVM looks up. The pointers take their
// types from the header generated from the Java peer class, so a signature
// that drifts fails the host's build.
#pragma once

#include <windows.h>

#include "com_mintova_vardelon_VardelonLink.h"

// X(method) for each native method of the peer class.
// clang-format off
#define VARDELON_LINK_METHODS(X) \
  X(connect) X(disconnect) X(isConnected) \
  X(version) X(execute) X(open) X(reload) X(maximize) X(minimize) X(restoreSize) X(show) X(quit) \
  X(variableNames) X(variableValue) X(variableValues) \
  X(setVariableValue) X(setVariableValues) X(setVariableChangeNotification) \
  X(uvoVariableNames) X(uvoVariableValue) X(uvoVariableValues)
// clang-format on

namespace vardelon::wine {

struct VardelonLinkModule {
#define VARDELON_METHOD_POINTER(method) \
  decltype(&Java_com_mintova_vardelon_VardelonLink_##method) method = nullptr;
  VARDELON_LINK_METHODS(VARDELON_METHOD_POINTER)
#undef VARDELON_METHOD_POINTER
};

// Loads the DLL at `path` and finds every method; false after printing what
// could not be loaded or found.
bool loadVardelonLink(const wchar_t* path, VardelonLinkModule& module);

// The export `name` of `module` as a `Function`; null when there is none.
template <typename Function>
Function findExport(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace vardelon::wine
