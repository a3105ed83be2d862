// Helpers that the layer's own files share; not part of the Windows API and
// not included by automation.h.
#pragma once

#include <optional>
#include <string_view>

#include "bstr.h"
#include "com.h"
#include "platform/utf.h"

namespace automation {

// A new BSTR with the same bytes as `text` (an empty one for null, as Windows
// does); null when memory runs out.
inline BSTR duplicateBstr(BSTR text) {
  return SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), SysStringByteLen(text));
}

// The GUID written as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (hex digits
// in either case), or nothing when `text` is not exactly that.
std::optional<GUID> parseGuid(std::u16string_view text);

// Whether the calling thread has initialised COM and not yet uninitialised it.
bool apartmentJoined();

}  // namespace automation
