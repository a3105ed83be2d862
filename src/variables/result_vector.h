// The arrays the readers take apart: names (VT_ARRAY|VT_BSTR) and values
// (VT_ARRAY|VT_VARIANT).
#pragma once

#include "platform/automation.h"

namespace vardelon {

// The array in `result` when it is what the server promises: tagged
// VT_ARRAY|`elementType`, one dimension, and elements that really are
// `elementType` (VT_BSTR or VT_VARIANT). Null for anything else, so that no
// element is ever read from an array whose contents differ from its tag.
SAFEARRAY* resultVector(const VARIANT& result, VARTYPE elementType);

}  // namespace vardelon
