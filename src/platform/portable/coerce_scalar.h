// Coercion of one scalar value (empty, null, an integer, a real, a boolean or
// text) to another scalar type, by OLE Automation's rules.
#pragma once

#include <cstddef>

#include "variant.h"

namespace automation::coerce {

// Bytes of a scalar type's value; 0 for the empty and null values, which have
// none, and for types that are not scalars.
std::size_t scalarSize(VARTYPE type);

bool isScalar(VARTYPE type);

// Coerces a scalar source to a scalar type into result, which starts empty
// and receives a value of its own (a new BSTR for text). Fails with
// DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW and leaves result empty.
HRESULT coerceScalar(const VARIANT& source, VARTYPE target, USHORT flags, VARIANT& result);

}  // namespace automation::coerce
