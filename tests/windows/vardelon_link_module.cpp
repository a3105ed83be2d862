#include "vardelon_link_module.h"

#include <cstdio>
#include <string>

namespace vardelon::wine {

namespace {

// The bytes a __stdcall function's arguments take on the stack: each
// rounded up to 4.
template <typename Result, typename... Arguments>
constexpr int argumentBytes(Result(JNICALL*)(Arguments...)) {
  return (0 + ... + ((sizeof(Arguments) + 3) / 4 * 4));
}

// The name under which a JVM looks the method up: on 32-bit Windows the
// decorated "_<name>@<argument bytes>", elsewhere the JNI name itself.
template <typename Function>
std::string exportedName(const char* jniName, Function) {
  if constexpr (sizeof(void*) == 4) {
    return "_" + std::string(jniName) + "@" + std::to_string(argumentBytes(Function{}));
  } else {
    return jniName;
  }
}

}  // namespace

bool loadVardelonLink(const wchar_t* path, VardelonLinkModule& module) {
  const HMODULE library = LoadLibraryW(path);
  if (library == nullptr) {
    std::printf("LoadLibrary of %ls failed: error %lu\n", path, GetLastError());
    return false;
  }
  bool found = true;
#define VARDELON_FIND_METHOD(method)                                                    \
  {                                                                                     \
    const std::string name =                                                            \
        exportedName("Java_com_mintova_vardelon_VardelonLink_" #method, module.method); \
    module.method = findExport<decltype(module.method)>(library, name.c_str());         \
    if (module.method == nullptr) {                                                     \
      std::printf("not exported: %s\n", name.c_str());                                  \
      found = false;                                                                    \
    }                                                                                   \
  }
  VARDELON_LINK_METHODS(VARDELON_FIND_METHOD)
#undef VARDELON_FIND_METHOD
  return found;
}

}  // namespace vardelon::wine
