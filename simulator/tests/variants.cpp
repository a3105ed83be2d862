#include "variants.h"

#include <cstring>
#include <iomanip>
#include <sstream>

#include "utf.h"

namespace vardelon::simulator::testing {

namespace {

VARIANT scalar(VARTYPE type) {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = type;
  return value;
}

VARIANT array(VARTYPE type, SAFEARRAY* array) {
  VARIANT value = scalar(VT_ARRAY | type);
  V_ARRAY(&value) = array;
  return value;
}

std::size_t elementWidth(VARTYPE type) {
  switch (type) {
    case VT_I1:
      return 1;
    case VT_I2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_R4:
      return 4;
    case VT_R8:
      return 8;
    case VT_BSTR:
      return sizeof(BSTR);
    case VT_VARIANT:
      return sizeof(VARIANT);
    default:
      return 0;
  }
}

void storeElement(VARTYPE type, double number, void* element) {
  switch (type) {
    case VT_I1:
      *static_cast<CHAR*>(element) = static_cast<CHAR>(number);
      break;
    case VT_I2:
      *static_cast<SHORT*>(element) = static_cast<SHORT>(number);
      break;
    case VT_BOOL:
      *static_cast<VARIANT_BOOL*>(element) = static_cast<VARIANT_BOOL>(number);
      break;
    case VT_I4:
      *static_cast<LONG*>(element) = static_cast<LONG>(number);
      break;
    case VT_R4:
      *static_cast<FLOAT*>(element) = static_cast<FLOAT>(number);
      break;
    default:
      *static_cast<DOUBLE*>(element) = number;
  }
}

const char* typeName(VARTYPE type) {
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
    case VT_ERROR:
      return "ERROR";
    case VT_VARIANT:
      return "VARIANT";
    default:
      return "TYPE";
  }
}

// The value alone: "42", "\"text\"", "{I4 1}" for a VARIANT element; "" for
// EMPTY and NULL.
std::string elementText(VARTYPE type, const void* element) {
  std::ostringstream out;
  out << std::setprecision(15);
  switch (type) {
    case VT_I1:
      out << int{*static_cast<const CHAR*>(element)};
      break;
    case VT_I2:
      out << *static_cast<const SHORT*>(element);
      break;
    case VT_BOOL:
      out << *static_cast<const VARIANT_BOOL*>(element);
      break;
    case VT_I4:
      out << *static_cast<const LONG*>(element);
      break;
    case VT_R4:
      out << *static_cast<const FLOAT*>(element);
      break;
    case VT_R8:
      out << *static_cast<const DOUBLE*>(element);
      break;
    case VT_ERROR:
      out << "0x" << std::hex << static_cast<ULONG>(*static_cast<const SCODE*>(element));
      break;
    case VT_BSTR: {
      BSTR text = *static_cast<const BSTR*>(element);
      out << '"' << toUtf8(std::u16string_view(text, SysStringLen(text))) << '"';
      break;
    }
    case VT_VARIANT:
      out << '{' << describe(*static_cast<const VARIANT*>(element)) << '}';
      break;
    case VT_EMPTY:
    case VT_NULL:
      break;
    default:
      out << '?';
  }
  return out.str();
}

std::string describeArray(VARTYPE type, SAFEARRAY* array) {
  std::ostringstream out;
  out << typeName(type) << '[';
  if (array == nullptr) return out.str() + "null]";
  std::size_t count = 1;
  for (UINT dimension = 1; dimension <= SafeArrayGetDim(array); ++dimension) {
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(array, dimension, &lower);
    SafeArrayGetUBound(array, dimension, &upper);
    out << (dimension > 1 ? "x" : "") << upper - lower + 1;
    count *= static_cast<std::size_t>(upper - lower + 1);
  }
  out << ']';
  void* data = nullptr;
  SafeArrayAccessData(array, &data);
  for (std::size_t i = 0; i < count; ++i) {
    out << ' ' << elementText(type, static_cast<const char*>(data) + i * elementWidth(type));
  }
  SafeArrayUnaccessData(array);
  return out.str();
}

}  // namespace

VARIANT integer(LONG value) {
  VARIANT variant = scalar(VT_I4);
  V_I4(&variant) = value;
  return variant;
}

VARIANT real(double value) {
  VARIANT variant = scalar(VT_R8);
  V_R8(&variant) = value;
  return variant;
}

VARIANT boolean(bool value) {
  VARIANT variant = scalar(VT_BOOL);
  V_BOOL(&variant) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return variant;
}

VARIANT text(std::u16string_view value) {
  VARIANT variant = scalar(VT_BSTR);
  V_BSTR(&variant) = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
  return variant;
}

VARIANT matrix(VARTYPE type, ULONG rows, ULONG columns, std::initializer_list<double> elements) {
  SAFEARRAYBOUND bounds[2] = {{rows, 0}, {columns, 0}};
  SAFEARRAY* created = SafeArrayCreate(type, 2, bounds);
  void* data = nullptr;
  SafeArrayAccessData(created, &data);
  std::size_t i = 0;
  for (double element : elements) {
    storeElement(type, element, static_cast<char*>(data) + i++ * elementWidth(type));
  }
  SafeArrayUnaccessData(created);
  return array(type, created);
}

VARIANT numbers(std::initializer_list<LONG> values, LONG lowerBound) {
  SAFEARRAY* created = SafeArrayCreateVector(VT_I4, lowerBound, static_cast<ULONG>(values.size()));
  void* data = nullptr;
  SafeArrayAccessData(created, &data);
  std::memcpy(data, values.begin(), values.size() * sizeof(LONG));
  SafeArrayUnaccessData(created);
  return array(VT_I4, created);
}

VARIANT values(std::initializer_list<VARIANT> values) {
  SAFEARRAY* created = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(values.size()));
  void* data = nullptr;
  SafeArrayAccessData(created, &data);
  std::memcpy(data, values.begin(), values.size() * sizeof(VARIANT));
  SafeArrayUnaccessData(created);
  return array(VT_VARIANT, created);
}

std::string describe(const VARIANT& value) {
  const VARTYPE type = V_VT(&value) & VT_TYPEMASK;
  if (V_ISARRAY(&value)) return describeArray(type, V_ARRAY(&value));
  if (V_ISBYREF(&value)) return std::string("BYREF ") + typeName(type);
  const std::string text = elementText(type, &V_I4(&value));
  return text.empty() ? typeName(type) : std::string(typeName(type)) + ' ' + text;
}

}  // namespace vardelon::simulator::testing
