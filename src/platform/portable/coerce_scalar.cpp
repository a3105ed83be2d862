// Scalar coercion, one target family at a time: integers (by width and
// sign), the two reals, booleans and text.
#include "coerce_scalar.h"

#include <cmath>
#include <optional>
#include <string>

#include "bstr.h"
#include "coerce_format.h"
#include "coerce_parse.h"

namespace automation::coerce {
namespace {

// ---- integer types --------------------------------------------------------

struct IntegerType {
  VARTYPE vt;
  BYTE bits;
  bool isSigned;

  WideInteger lowest() const { return isSigned ? -(WideInteger{1} << (bits - 1)) : 0; }
  WideInteger highest() const { return (WideInteger{1} << (isSigned ? bits - 1 : bits)) - 1; }
};

constexpr IntegerType kIntegerTypes[] = {
    {VT_I1, 8, true},  {VT_UI1, 8, false},  {VT_I2, 16, true},   {VT_UI2, 16, false},
    {VT_I4, 32, true}, {VT_INT, 32, true},  {VT_UI4, 32, false}, {VT_UINT, 32, false},
    {VT_I8, 64, true}, {VT_UI8, 64, false},
};

const IntegerType* integerType(VARTYPE vt) {
  for (const IntegerType& type : kIntegerTypes) {
    if (type.vt == vt) return &type;
  }
  return nullptr;
}

WideInteger readInteger(const VARIANT& v) {
  switch (v.vt) {
    case VT_I1:
      return static_cast<signed char>(v.cVal);
    case VT_UI1:
      return v.bVal;
    case VT_I2:
      return v.iVal;
    case VT_UI2:
      return v.uiVal;
    case VT_I4:
      return v.lVal;
    case VT_INT:
      return v.intVal;
    case VT_UI4:
      return v.ulVal;
    case VT_UINT:
      return v.uintVal;
    case VT_I8:
      return v.llVal;
    case VT_UI8:
      return v.ullVal;
    default:
      return 0;
  }
}

// Keeps the low bits of value, as the target type's own conversion does.
void writeInteger(VARIANT& v, VARTYPE vt, WideInteger value) {
  v.vt = vt;
  switch (vt) {
    case VT_I1:
      v.cVal = static_cast<CHAR>(static_cast<signed char>(value));
      break;
    case VT_UI1:
      v.bVal = static_cast<BYTE>(value);
      break;
    case VT_I2:
      v.iVal = static_cast<SHORT>(value);
      break;
    case VT_UI2:
      v.uiVal = static_cast<USHORT>(value);
      break;
    case VT_I4:
      v.lVal = static_cast<LONG>(value);
      break;
    case VT_INT:
      v.intVal = static_cast<INT>(value);
      break;
    case VT_UI4:
      v.ulVal = static_cast<ULONG>(value);
      break;
    case VT_UINT:
      v.uintVal = static_cast<UINT>(value);
      break;
    case VT_I8:
      v.llVal = static_cast<LONGLONG>(value);
      break;
    case VT_UI8:
      v.ullVal = static_cast<ULONGLONG>(value);
      break;
  }
}

HRESULT checkRange(WideInteger value, const IntegerType& target) {
  return value < target.lowest() || value > target.highest() ? DISP_E_OVERFLOW : S_OK;
}

double roundHalfEven(double x) {
  double whole = std::floor(x);
  double fraction = x - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
  return whole;
}

// Signed 64-bit targets take only reals of magnitude below 2^62, as
// Automation's own conversion does; NaN fits nothing.
HRESULT integerFromReal(double x, const IntegerType& target, WideInteger* value) {
  constexpr double kTwoTo62 = 4611686018427387904.0;
  constexpr double kTwoTo64 = 18446744073709551616.0;
  double limit = target.bits == 64 && target.isSigned ? kTwoTo62 : kTwoTo64;
  if (!(x >= -limit && x < limit)) return DISP_E_OVERFLOW;
  *value = static_cast<WideInteger>(roundHalfEven(x));
  return checkRange(*value, target);
}

// &H and &O numbers fill the target's bit pattern (&HFFFF is I2 -1 but I4
// 65535); 64-bit targets stop at 2^63.
HRESULT integerFromBased(const ParsedNumber& number, const IntegerType& target,
                         WideInteger* value) {
  WideInteger limit = target.bits == 64 ? WideInteger{1} << 63 : target.highest() - target.lowest();
  if (number.basedOverflow || number.basedValue > limit) return DISP_E_OVERFLOW;
  *value = number.basedValue;
  return S_OK;
}

HRESULT integerFromText(BSTR text, const IntegerType& target, WideInteger* value) {
  std::optional<ParsedNumber> number = parseNumber(text);
  if (!number) return DISP_E_TYPEMISMATCH;
  if (number->based) return integerFromBased(*number, target, value);
  std::optional<WideInteger> rounded = decimalToInteger(*number);
  if (!rounded) return DISP_E_OVERFLOW;
  *value = *rounded;
  return checkRange(*value, target);
}

// Between integer types of one width the bit pattern is kept (UI4 0xFFFFFFFF
// becomes I4 -1), between widths the value must fit; a boolean's 16 bits
// always carry over (VARIANT_TRUE becomes UI1 255).
HRESULT integerValue(const VARIANT& source, const IntegerType& target, WideInteger* value) {
  if (const IntegerType* type = integerType(source.vt)) {
    *value = readInteger(source);
    return type->bits == target.bits ? S_OK : checkRange(*value, target);
  }
  switch (source.vt) {
    case VT_EMPTY:
      *value = 0;
      return S_OK;
    case VT_BOOL:
      *value = source.boolVal;
      return S_OK;
    case VT_R4:
      return integerFromReal(source.fltVal, target, value);
    case VT_R8:
      return integerFromReal(source.dblVal, target, value);
    case VT_BSTR:
      return integerFromText(source.bstrVal, target, value);
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

HRESULT toInteger(const VARIANT& source, const IntegerType& target, VARIANT& result) {
  WideInteger value = 0;
  HRESULT hr = integerValue(source, target, &value);
  if (SUCCEEDED(hr)) writeInteger(result, target.vt, value);
  return hr;
}

// ---- reals ----------------------------------------------------------------

// Reals take &H and &O numbers up to 2^31, as a 32-bit pattern: &H80000000
// is -2^31.
std::optional<double> realFromBased(const ParsedNumber& number) {
  if (number.basedOverflow || number.basedValue > 0x80000000ULL) return std::nullopt;
  return static_cast<LONG>(static_cast<ULONG>(number.basedValue));
}

HRESULT realFromText(BSTR text, double* value) {
  std::optional<ParsedNumber> number = parseNumber(text);
  if (!number) return DISP_E_TYPEMISMATCH;
  std::optional<double> real = number->based ? realFromBased(*number) : decimalToDouble(*number);
  if (!real) return DISP_E_OVERFLOW;
  *value = *real;
  return S_OK;
}

HRESULT doubleValue(const VARIANT& source, double* value) {
  if (integerType(source.vt)) {
    *value = static_cast<double>(readInteger(source));
    return S_OK;
  }
  switch (source.vt) {
    case VT_EMPTY:
      *value = 0;
      return S_OK;
    case VT_BOOL:
      *value = source.boolVal;
      return S_OK;
    case VT_R4:
      *value = source.fltVal;
      return S_OK;
    case VT_R8:
      *value = source.dblVal;
      return S_OK;
    case VT_BSTR:
      return realFromText(source.bstrVal, value);
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

HRESULT toDouble(const VARIANT& source, VARIANT& result) {
  double value = 0;
  HRESULT hr = doubleValue(source, &value);
  if (FAILED(hr)) return hr;
  result.vt = VT_R8;
  result.dblVal = value;
  return S_OK;
}

// Automation's bound for singles, a little above FLT_MAX: doubles up to it
// round to FLT_MAX, doubles beyond it overflow.
constexpr double kSingleLimit = 3.402823567e38;

HRESULT toSingle(const VARIANT& source, VARIANT& result) {
  float value = 0;
  if (integerType(source.vt)) {
    // Straight to float: by way of double a 64-bit value could round twice.
    value = static_cast<float>(readInteger(source));
  } else {
    double real = 0;
    HRESULT hr = doubleValue(source, &real);
    if (FAILED(hr)) return hr;
    if (std::fabs(real) > kSingleLimit) return DISP_E_OVERFLOW;
    value = static_cast<float>(real);
  }
  result.vt = VT_R4;
  result.fltVal = value;
  return S_OK;
}

// ---- booleans -------------------------------------------------------------

// Compares up to the text's first zero unit, as the parser reads it.
bool textEquals(const OLECHAR* text, const char* word, bool ignoreCase) {
  auto fold = [ignoreCase](unsigned c) { return ignoreCase && c >= 'a' && c <= 'z' ? c - 32 : c; };
  for (; *word != '\0'; ++text, ++word) {
    if (fold(*text) != fold(static_cast<unsigned char>(*word))) return false;
  }
  return *text == 0;
}

// The words True and False in any case, the literals #TRUE# and #FALSE#, or a
// number, which is true unless zero.
HRESULT booleanFromText(BSTR text, bool* value) {
  if (text != nullptr) {
    if (textEquals(text, "TRUE", true) || textEquals(text, "#TRUE#", false)) {
      *value = true;
      return S_OK;
    }
    if (textEquals(text, "FALSE", true) || textEquals(text, "#FALSE#", false)) {
      *value = false;
      return S_OK;
    }
  }
  double number = 0;
  HRESULT hr = realFromText(text, &number);
  *value = number != 0;
  return hr;
}

HRESULT booleanValue(const VARIANT& source, bool* value) {
  if (integerType(source.vt)) {
    *value = readInteger(source) != 0;
    return S_OK;
  }
  switch (source.vt) {
    case VT_EMPTY:
      *value = false;
      return S_OK;
    case VT_R4:
      *value = source.fltVal != 0;
      return S_OK;
    case VT_R8:
      *value = source.dblVal != 0;
      return S_OK;
    case VT_BSTR:
      return booleanFromText(source.bstrVal, value);
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

HRESULT toBoolean(const VARIANT& source, VARIANT& result) {
  bool value = false;
  HRESULT hr = booleanValue(source, &value);
  if (FAILED(hr)) return hr;
  result.vt = VT_BOOL;
  result.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

// ---- text -----------------------------------------------------------------

HRESULT storeText(BSTR text, VARIANT& result) {
  if (text == nullptr) return E_OUTOFMEMORY;
  result.vt = VT_BSTR;
  result.bstrVal = text;
  return S_OK;
}

HRESULT storeText(const std::string& ascii, VARIANT& result) {
  std::u16string text(ascii.begin(), ascii.end());
  return storeText(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())), result);
}

// A copy keeps every unit, zeros included; a null BSTR copies as empty text.
HRESULT copyText(BSTR text, VARIANT& result) {
  return storeText(SysAllocStringLen(text, SysStringLen(text)), result);
}

std::string integerText(WideInteger value) {
  return value < 0 ? std::to_string(static_cast<long long>(value))
                   : std::to_string(static_cast<unsigned long long>(value));
}

std::string booleanText(VARIANT_BOOL value, USHORT flags) {
  if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL)) return value ? "True" : "False";
  return std::to_string(value);
}

HRESULT toText(const VARIANT& source, USHORT flags, VARIANT& result) {
  if (integerType(source.vt)) return storeText(integerText(readInteger(source)), result);
  switch (source.vt) {
    case VT_EMPTY:
      return storeText(std::string(), result);
    case VT_R4:
      return storeText(formatReal(source.fltVal, kSingleDigits), result);
    case VT_R8:
      return storeText(formatReal(source.dblVal, kDoubleDigits), result);
    case VT_BOOL:
      return storeText(booleanText(source.boolVal, flags), result);
    case VT_BSTR:
      return copyText(source.bstrVal, result);
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

}  // namespace

std::size_t scalarSize(VARTYPE type) {
  if (const IntegerType* integer = integerType(type)) return integer->bits / 8;
  switch (type) {
    case VT_R4:
      return sizeof(FLOAT);
    case VT_R8:
      return sizeof(DOUBLE);
    case VT_BOOL:
      return sizeof(VARIANT_BOOL);
    case VT_BSTR:
      return sizeof(BSTR);
    default:
      return 0;
  }
}

bool isScalar(VARTYPE type) {
  return type == VT_EMPTY || type == VT_NULL || scalarSize(type) != 0;
}

HRESULT coerceScalar(const VARIANT& source, VARTYPE target, USHORT flags, VARIANT& result) {
  if (!isScalar(source.vt) || !isScalar(target)) return DISP_E_TYPEMISMATCH;
  // A value keeps its type untouched (a boolean 5 stays 5); text is copied.
  if (source.vt == target && target != VT_BSTR) {
    result = source;
    return S_OK;
  }
  if (const IntegerType* type = integerType(target)) return toInteger(source, *type, result);
  switch (target) {
    case VT_EMPTY:
      return source.vt == VT_NULL ? DISP_E_TYPEMISMATCH : S_OK;
    case VT_NULL:
      result.vt = VT_NULL;
      return S_OK;
    case VT_R4:
      return toSingle(source, result);
    case VT_R8:
      return toDouble(source, result);
    case VT_BOOL:
      return toBoolean(source, result);
    case VT_BSTR:
      return toText(source, flags, result);
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

}  // namespace automation::coerce
