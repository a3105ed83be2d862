#include "vardelon_link_module.h"

#include <cstdio>

namespace vardelon::wine {

bool loadVardelonLink(const wchar_t* path, VardelonLinkModule& module) {
  const HMODULE library = LoadLibraryW(path);
  if (library == nullptr) {
    std::printf("LoadLibrary of %ls failed: error %lu\n", path, GetLastError());
    return false;
  }
  bool found = true;
#define VARDELON_FIND_METHOD(method)                                                   \
  module.method = findExport<decltype(module.method)>(                                 \
      library, "Java_com_mintova_vardelon_VardelonLink_" #method);                     \
  if (module.method == nullptr) {                                                      \
    std::printf("not exported: Java_com_mintova_vardelon_VardelonLink_%s\n", #method); \
    found = false;                                                                     \
  }
  VARDELON_LINK_METHODS(VARDELON_FIND_METHOD)
#undef VARDELON_FIND_METHOD
  return found;
}

}  // namespace vardelon::wine
