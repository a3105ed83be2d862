// How the language writes a value: the one reader that turns the text at a
// line's cursor into a Value.
//
//   true, false                 VT_BOOL
//   42, -7                      VT_I4 (a whole number that fits in 32 bits)
//   12.5, 1e-3, 3000000000      VT_R8 (any other number)
//   "text"                      VT_BSTR, with the escapes \" \\ \n \r \t \0 \uXXXX
//   [[1, 2], [3, 4]]            a matrix of VT_R8: dimension 1 counts the rows
//   [1, 2, 3]   []   [[], []]   one row; no rows; two rows of none
//   byte:-7   int:[[1, 2]]      with a type prefix (element_types.h): a scalar
//                               or a matrix of that type
#pragma once

#include "line_reader.h"
#include "value.h"

namespace vardelon::simulator {

// Reads the value at the cursor and moves past it; throws ParseError.
Value readValue(LineReader& line);

}  // namespace vardelon::simulator
