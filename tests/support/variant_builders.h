// Plain VARIANTs for tests, owned by the caller.
#pragma once

#include <string_view>

#include "platform/automation.h"

namespace vardelon::testing {

// A VARIANT whose bytes are all zero but its tag.
VARIANT variantOf(VARTYPE tag);
// A VT_BSTR holding a new BSTR of `text`, zero units kept; the caller clears it.
VARIANT bstrVariantOf(std::u16string_view text);

// Scalars of the types the tests meet most.
VARIANT i1VariantOf(signed char value);
VARIANT i2VariantOf(SHORT value);
VARIANT i4VariantOf(LONG value);
VARIANT r4VariantOf(FLOAT value);
VARIANT r8VariantOf(DOUBLE value);
VARIANT boolVariantOf(VARIANT_BOOL value);

}  // namespace vardelon::testing
