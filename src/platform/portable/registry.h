// Class registrations: which CLSID a ProgID names and which in-process
// server implements a CLSID, read afresh from the .reg files that the
// AUTOMATION_REGISTRY variable lists on every lookup.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "com.h"

namespace automation::registry {

// HKEY_CLASSES_ROOT\<progId>\CLSID, when registered and a valid GUID.
std::optional<CLSID> classIdOf(std::u16string_view progId);

// HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32, with a relative path
// resolved against the folder of the .reg file that names it.
std::optional<std::string> inprocServerOf(REFCLSID clsid);

}  // namespace automation::registry
