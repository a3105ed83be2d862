// Automation values as short texts, so that a test compares a value in one
// line and a failure shows it whole:
//   I4 -5   R8 2.5   BOOL -1   BSTR "Dr\0uck"   NULL   EMPTY
//   ARRAY I4 [0:3] {3, 1, 2}            one dimension: lower bound, count
//   ARRAY R8 [0:1][0:3] {1, 2, 3}       dimension 1 first; data-block order
//   ARRAY VARIANT [0:2] {R8 1.5, BSTR "x"}
// Text shows printable ASCII as itself, a zero unit as \0 and any other unit
// as \uXXXX. Reals take as few significant digits as give the value back
// exactly, six at the least.
#pragma once

#include <string>
#include <string_view>

#include "platform/automation.h"

namespace vardelon::testing {

std::string quotedText(std::u16string_view text);
std::string variantText(const VARIANT& value);

}  // namespace vardelon::testing
