// Builders of argument values for the simulator's tests; variant_text.h
// shows any of them as one line of text.
#pragma once

#include <initializer_list>
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

}  // namespace vardelon::simulator::testing
