#include "variant_text.h"

#include <charconv>
#include <cstdio>
#include <iterator>
#include <limits>

namespace vardelon::testing {
namespace {

std::string typeName(VARTYPE type) {
  switch (type) {
    case VT_EMPTY:
      return "EMPTY";
    case VT_NULL:
      return "NULL";
    case VT_I1:
      return "I1";
    case VT_I2:
      return "I2";
    case VT_I4:
      return "I4";
    case VT_R4:
      return "R4";
    case VT_R8:
      return "R8";
    case VT_BOOL:
      return "BOOL";
    case VT_BSTR:
      return "BSTR";
    case VT_VARIANT:
      return "VARIANT";
    default:
      return "VT " + std::to_string(type);
  }
}

template <typename Integer>
std::string integerText(Integer value) {
  return std::to_string(+value);
}

// Six significant digits, as a stream writes a number, or more where six
// would show a different value.
template <typename Real>
std::string realText(Real value) {
  char digits[64];
  for (int precision = 6;; ++precision) {
    const std::to_chars_result written = std::to_chars(std::begin(digits), std::end(digits), value,
                                                       std::chars_format::general, precision);
    std::string text(std::begin(digits), written.ptr);
    Real readBack{};
    std::from_chars(text.data(), text.data() + text.size(), readBack);
    if (readBack == value || precision >= std::numeric_limits<Real>::max_digits10) return text;
  }
}

// The element of `type` stored at `data`, without its type name for scalars.
std::string elementText(VARTYPE type, const void* data) {
  switch (type) {
    case VT_I1:
      return integerText(*static_cast<const CHAR*>(data));
    case VT_I2:
      return integerText(*static_cast<const SHORT*>(data));
    case VT_I4:
      return integerText(*static_cast<const LONG*>(data));
    case VT_R4:
      return realText(*static_cast<const FLOAT*>(data));
    case VT_R8:
      return realText(*static_cast<const DOUBLE*>(data));
    case VT_BOOL:
      return integerText(*static_cast<const VARIANT_BOOL*>(data));
    case VT_BSTR: {
      const BSTR text = *static_cast<const BSTR*>(data);
      return text == nullptr ? "null" : quotedText({text, SysStringLen(text)});
    }
    case VT_VARIANT:
      return variantText(*static_cast<const VARIANT*>(data));
    default:
      return "?";
  }
}

std::string arrayText(VARTYPE elementType, SAFEARRAY* array) {
  std::string text = "ARRAY " + typeName(elementType);
  if (array == nullptr) return text + " null";
  text += " ";
  std::size_t count = 1;
  for (UINT dimension = 1; dimension <= SafeArrayGetDim(array); ++dimension) {
    const SAFEARRAYBOUND& bound = array->rgsabound[array->cDims - dimension];
    text += "[" + std::to_string(bound.lLbound) + ":" + std::to_string(bound.cElements) + "]";
    count *= bound.cElements;
  }
  text += " {";
  const auto* data = static_cast<const unsigned char*>(array->pvData);
  for (std::size_t index = 0; index < count; ++index) {
    if (index > 0) text += ", ";
    text += elementText(elementType, data + index * array->cbElements);
  }
  return text + "}";
}

}  // namespace

std::string quotedText(std::u16string_view text) {
  std::string out = "\"";
  for (const char16_t unit : text) {
    if (unit == 0) {
      out += "\\0";
    } else if (unit >= 0x20 && unit < 0x7f && unit != '"' && unit != '\\') {
      out += static_cast<char>(unit);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(unit));
      out += escaped;
    }
  }
  return out + "\"";
}

std::string variantText(const VARIANT& value) {
  const VARTYPE type = V_VT(&value);
  if (type & VT_ARRAY) return arrayText(type & VT_TYPEMASK, V_ARRAY(&value));
  switch (type) {
    case VT_EMPTY:
    case VT_NULL:
      return typeName(type);
    case VT_I1:
      return "I1 " + elementText(type, &V_I1(&value));
    case VT_I2:
      return "I2 " + elementText(type, &V_I2(&value));
    case VT_I4:
      return "I4 " + elementText(type, &V_I4(&value));
    case VT_R4:
      return "R4 " + elementText(type, &V_R4(&value));
    case VT_R8:
      return "R8 " + elementText(type, &V_R8(&value));
    case VT_BOOL:
      return "BOOL " + elementText(type, &V_BOOL(&value));
    case VT_BSTR:
      return "BSTR " + elementText(type, &V_BSTR(&value));
    case VT_BYREF | VT_VARIANT:
      return "BYREF VARIANT";
    default:
      return typeName(type);
  }
}

}  // namespace vardelon::testing
