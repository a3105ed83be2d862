#include "coerce_parse.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace automation::coerce {
namespace {

constexpr OLECHAR kPlus = u'+';
constexpr OLECHAR kMinus = u'-';
constexpr OLECHAR kCurrency = u'$';
constexpr OLECHAR kThousands = u',';
constexpr OLECHAR kDecimalPoint = u'.';

// Integers read from decimal text stop below 2^64.
constexpr WideInteger kLargestMagnitude = std::numeric_limits<ULONGLONG>::max();

// Exponents beyond this only decide between zero and overflow.
constexpr long kExponentCap = 100000;

// The characters the Windows character tables class as space.
bool isSpace(OLECHAR c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

bool isDigit(OLECHAR c) {
  return c >= u'0' && c <= u'9';
}

// The value of c as a digit of a number with 2^shift as base, or -1.
int basedDigit(OLECHAR c, int shift) {
  if (c >= u'0' && c <= u'7') return c - u'0';
  if (shift == 3) return -1;
  if (c == u'8' || c == u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Reads one number in three stretches: the symbols before it, its body, the
// symbols after it. Each sign and the opening parenthesis count once before
// the number; after it, a sign is taken only if it did not come before.
class NumberReader {
 public:
  explicit NumberReader(const OLECHAR* text) : at_(text) {}

  std::optional<ParsedNumber> read() {
    readLeadingSymbols();
    int shift = basedPrefixShift();
    bool hasDigits = shift != 0 ? readBasedDigits(shift) : readDecimalNumber();
    readTrailingSymbols();
    bool complete = *at_ == 0 && (!openParenthesis_ || closeParenthesis_);
    if (!hasDigits || !complete) return std::nullopt;
    number_.negative = leadingMinus_ || trailingMinus_ || openParenthesis_;
    return number_;
  }

 private:
  void readLeadingSymbols() {
    for (;; ++at_) {
      if (isSpace(*at_)) continue;
      if (takeOnce(kPlus, leadingPlus_) || takeOnce(kMinus, leadingMinus_) ||
          takeOnce(u'(', openParenthesis_) || takeOnce(kCurrency, leadingCurrency_)) {
        continue;
      }
      return;
    }
  }

  void readTrailingSymbols() {
    for (;; ++at_) {
      OLECHAR c = *at_;
      if (isSpace(c) || c == kCurrency) continue;
      if (c == kPlus && !leadingPlus_) continue;
      if (c == kMinus && !leadingMinus_) {
        trailingMinus_ = true;
        continue;
      }
      if (c == u')' && openParenthesis_) {
        closeParenthesis_ = true;
        continue;
      }
      return;
    }
  }

  bool takeOnce(OLECHAR symbol, bool& seen) {
    if (*at_ != symbol || seen) return false;
    seen = true;
    return true;
  }

  // 4 after &H, 3 after &O (the bits of one digit), 0 when neither begins the
  // number; a currency sign rules them out.
  int basedPrefixShift() {
    if (leadingCurrency_ || at_[0] != u'&') return 0;
    switch (at_[1]) {
      case u'H':
      case u'h':
        at_ += 2;
        return 4;
      case u'O':
      case u'o':
        at_ += 2;
        return 3;
      default:
        return 0;
    }
  }

  bool readBasedDigits(int shift) {
    number_.based = true;
    bool hasDigits = false;
    for (int digit; (digit = basedDigit(*at_, shift)) >= 0; ++at_, hasDigits = true) {
      if (number_.basedValue > (~0ULL >> shift)) number_.basedOverflow = true;
      number_.basedValue = (number_.basedValue << shift) | static_cast<ULONGLONG>(digit);
    }
    return hasDigits;
  }

  // Digits with thousands separators and one decimal point, then an optional
  // exponent: 'e' or 'E', any signs, digits. Separators are skipped anywhere
  // once the number has begun.
  bool readDecimalNumber() {
    bool begun = false;
    bool hasDigits = false;
    bool afterPoint = false;
    for (;; ++at_) {
      OLECHAR c = *at_;
      if (isDigit(c)) {
        addDigit(c, afterPoint);
        begun = hasDigits = true;
      } else if (c == kThousands && begun) {
        continue;
      } else if (c == kDecimalPoint && !afterPoint) {
        begun = afterPoint = true;
      } else if ((c == u'e' || c == u'E') && begun) {
        ++at_;
        if (!readExponent()) return false;
        break;
      } else {
        break;
      }
    }
    normalise();
    return hasDigits;
  }

  void addDigit(OLECHAR c, bool afterPoint) {
    if (afterPoint) --number_.exponent;
    if (c != u'0' || !number_.digits.empty()) number_.digits += static_cast<char>(c);
  }

  // After the exponent mark: signs and separators, then at least one digit.
  bool readExponent() {
    bool negative = false;
    for (; *at_ == kPlus || *at_ == kMinus || *at_ == kThousands; ++at_) {
      if (*at_ == kMinus) negative = true;
    }
    if (!isDigit(*at_)) return false;
    long value = 0;
    for (; isDigit(*at_); ++at_) {
      if (value < kExponentCap) value = value * 10 + (*at_ - u'0');
    }
    for (; *at_ == kThousands; ++at_) {
    }
    number_.exponent += negative ? -value : value;
    return true;
  }

  // Trailing zeros of the digits move into the exponent.
  void normalise() {
    while (!number_.digits.empty() && number_.digits.back() == '0') {
      number_.digits.pop_back();
      ++number_.exponent;
    }
    if (number_.digits.empty()) number_.exponent = 0;
  }

  const OLECHAR* at_;
  ParsedNumber number_;
  bool leadingPlus_ = false;
  bool leadingMinus_ = false;
  bool leadingCurrency_ = false;
  bool openParenthesis_ = false;
  bool closeParenthesis_ = false;
  bool trailingMinus_ = false;
};

}  // namespace

std::optional<ParsedNumber> parseNumber(const OLECHAR* text) {
  if (text == nullptr) return std::nullopt;
  return NumberReader(text).read();
}

std::optional<WideInteger> decimalToInteger(const ParsedNumber& number) {
  const std::string& digits = number.digits;
  // Digits before the decimal point, counting the zeros the exponent adds.
  long wholeLength = static_cast<long>(digits.size()) + number.exponent;
  if (wholeLength > 20) return std::nullopt;

  WideInteger magnitude = 0;
  for (long i = 0; i < wholeLength; ++i) {
    magnitude = magnitude * 10 + (i < static_cast<long>(digits.size()) ? digits[i] - '0' : 0);
  }
  // Half to even: the first dropped digit decides, and a 5 with nothing after
  // it is a tie, since the digits carry no trailing zeros.
  if (wholeLength >= 0 && wholeLength < static_cast<long>(digits.size())) {
    char first = digits[wholeLength];
    bool tie = first == '5' && wholeLength + 1 == static_cast<long>(digits.size());
    if (first > '5' || (first == '5' && !tie) || (tie && magnitude % 2 != 0)) ++magnitude;
  }
  if (magnitude > kLargestMagnitude) return std::nullopt;
  return number.negative ? -magnitude : magnitude;
}

std::optional<double> decimalToDouble(const ParsedNumber& number) {
  double zero = number.negative ? -0.0 : 0.0;
  if (number.digits.empty()) return zero;
  // The order of magnitude settles the extremes before strtod sees them.
  long magnitude = static_cast<long>(number.digits.size()) + number.exponent;
  if (magnitude > 400) return std::nullopt;
  if (magnitude < -400) return zero;
  // No decimal point, so the host's locale cannot change the reading.
  std::string text =
      (number.negative ? "-" : "") + number.digits + "e" + std::to_string(number.exponent);
  double value = std::strtod(text.c_str(), nullptr);
  if (std::isinf(value)) return std::nullopt;
  return value;
}

}  // namespace automation::coerce
