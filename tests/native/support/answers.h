// Values for a scripted server to answer with, beyond intVariant and
// textVariant: other scalars, and arrays whose VARIANT tag is given apart
// from the array itself, so that a test can also answer with a tag that lies.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/automation.h"
#include "scripted_server.h"

namespace vardelon::testing {

OwnedVariant realVariant(double value);
OwnedVariant boolVariant(VARIANT_BOOL value);
// A VARIANT of `type` whose value fields are all zero (VT_NULL, VT_DATE ...).
OwnedVariant typedVariant(VARTYPE type);

// `array` held by a VARIANT tagged `tag` (VT_ARRAY | something); null
// `array` allowed.
OwnedVariant arrayVariant(VARTYPE tag, SAFEARRAY* array);

// One-dimensional arrays starting at `lower`. A name left out (nullopt) stays
// a null BSTR.
SAFEARRAY* bstrVector(LONG lower, const std::vector<std::optional<std::u16string>>& names);
SAFEARRAY* variantVector(LONG lower, const std::vector<OwnedVariant>& values);
SAFEARRAY* intVector(LONG lower, std::initializer_list<LONG> values);

// A `rows` x `columns` SAFEARRAY of `type` (dimension 1 the rows), every
// element zero (a null BSTR for VT_BSTR).
SAFEARRAY* zeroMatrix(VARTYPE type, ULONG rows, ULONG columns);
// A `rows` x `columns` VT_R8 matrix whose data block holds `values` in order.
SAFEARRAY* realMatrix(ULONG rows, ULONG columns, std::initializer_list<double> values);

}  // namespace vardelon::testing
