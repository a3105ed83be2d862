// Text to number, as OLE Automation reads it with US English conventions:
// white space, a sign before or after the digits, parentheses for negative,
// a currency sign, thousands separators, a decimal point, an exponent, and
// &H / &O integers.
#pragma once

#include <optional>
#include <string>

#include "types.h"

namespace automation::coerce {

// Wide enough for every value of every integer VARTYPE, signed and unsigned
// (GCC and Clang provide it on the 64-bit hosts the layer is built for).
using WideInteger = __int128;

struct ParsedNumber {
  // &H and &O numbers: the digits' unsigned value; the text's sign is ignored.
  bool based = false;
  bool basedOverflow = false;  // more digits than 64 bits hold
  ULONGLONG basedValue = 0;

  // Decimal numbers: (negative ? -1 : 1) * digits * 10^exponent, where digits
  // has neither leading nor trailing zeros and is empty for zero.
  bool negative = false;
  std::string digits;
  long exponent = 0;
};

// The number the whole text spells, or nothing when it is not a number. The
// text ends at its first zero unit.
std::optional<ParsedNumber> parseNumber(const OLECHAR* text);

// A decimal number rounded half to even to an integer; nothing when its
// magnitude reaches 2^64.
std::optional<WideInteger> decimalToInteger(const ParsedNumber& number);

// A decimal number as the nearest double; nothing when it exceeds the range.
std::optional<double> decimalToDouble(const ParsedNumber& number);

}  // namespace automation::coerce
