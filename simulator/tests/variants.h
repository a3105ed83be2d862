// VARIANTs for the simulator's tests: builders of argument values, and one
// line of text per value so that a failing comparison shows both sides.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/automation.h"

namespace vardelon::simulator::testing {

// Each builder returns a new VARIANT that the caller owns and clears.
VARIANT integer(LONG value);
VARIANT real(double value);
VARIANT boolean(bool value);
VARIANT text(std::u16string_view value);
// A matrix of `type` (VT_I1, VT_I2, VT_I4, VT_R4, VT_R8 or VT_BOOL), whose
// data block holds `elements` row after row.
VARIANT matrix(VARTYPE type, ULONG rows, ULONG columns, std::initializer_list<double> elements);
// A one-dimensional VT_ARRAY|VT_I4 with lower bound `lowerBound`.
VARIANT numbers(std::initializer_list<LONG> values, LONG lowerBound = 0);
// A one-dimensional VT_ARRAY|VT_VARIANT that takes over `values`.
VARIANT values(std::initializer_list<VARIANT> values);

// "I4 42", "R8 12.5", "BOOL -1", "BSTR \"text\"", "EMPTY", "ERROR 0x80020005";
// arrays as "R8[2x3] 1 2 3 4 5 6" (counts of dimension 1, 2, ...; elements
// in data-block order) and "VARIANT[2] {I4 1} {BSTR \"a\"}".
std::string describe(const VARIANT& value);

}  // namespace vardelon::simulator::testing
