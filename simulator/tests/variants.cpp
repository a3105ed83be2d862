#include "variants.h"

#include <algorithm>

#include "variant_builders.h"

namespace vardelon::simulator::testing {

namespace {

using vardelon::testing::variantOf;

VARIANT array(VARTYPE type, SAFEARRAY* array) {
  VARIANT value = variantOf(VT_ARRAY | type);
  V_ARRAY(&value) = array;
  return value;
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

}  // namespace

VARIANT integer(LONG value) {
  return vardelon::testing::i4VariantOf(value);
}

VARIANT real(double value) {
  return vardelon::testing::r8VariantOf(value);
}

VARIANT boolean(bool value) {
  return vardelon::testing::boolVariantOf(value ? VARIANT_TRUE : VARIANT_FALSE);
}

VARIANT text(std::u16string_view value) {
  return vardelon::testing::bstrVariantOf(value);
}

VARIANT matrix(VARTYPE type, ULONG rows, ULONG columns, std::initializer_list<double> elements) {
  SAFEARRAYBOUND bounds[2] = {{rows, 0}, {columns, 0}};
  SAFEARRAY* created = SafeArrayCreate(type, 2, bounds);
  void* data = nullptr;
  SafeArrayAccessData(created, &data);
  std::size_t i = 0;
  for (double element : elements) {
    storeElement(type, element, static_cast<char*>(data) + i++ * SafeArrayGetElemsize(created));
  }
  SafeArrayUnaccessData(created);
  return array(type, created);
}

VARIANT numbers(std::initializer_list<LONG> values, LONG lowerBound) {
  SAFEARRAY* created = SafeArrayCreateVector(VT_I4, lowerBound, static_cast<ULONG>(values.size()));
  void* data = nullptr;
  SafeArrayAccessData(created, &data);
  std::copy(values.begin(), values.end(), static_cast<LONG*>(data));  // no data when empty
  SafeArrayUnaccessData(created);
  return array(VT_I4, created);
}

VARIANT values(std::initializer_list<VARIANT> values) {
  SAFEARRAY* created = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(values.size()));
  void* data = nullptr;
  SafeArrayAccessData(created, &data);
  std::copy(values.begin(), values.end(), static_cast<VARIANT*>(data));
  SafeArrayUnaccessData(created);
  return array(VT_VARIANT, created);
}

}  // namespace vardelon::simulator::testing
