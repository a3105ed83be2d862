// Number to text, as OLE Automation writes it with US English conventions.
#pragma once

#include <string>

namespace automation::coerce {

// Significant digits written for the two real types.
constexpr int kDoubleDigits = 15;
constexpr int kSingleDigits = 7;

// A real with at most `digits` significant digits, without trailing zeros,
// switching to "1.5E+20" / "1E-05" form where the exponent is below -4 or not
// below `digits`. Zero of either sign is "0".
std::string formatReal(double value, int digits);

}  // namespace automation::coerce
