#include "variant_builders.h"

#include <cstring>

namespace vardelon::testing {

VARIANT variantOf(VARTYPE tag) {
  VARIANT value;
  std::memset(&value, 0, sizeof value);
  V_VT(&value) = tag;
  return value;
}

VARIANT bstrVariantOf(std::u16string_view text) {
  VARIANT value = variantOf(VT_BSTR);
  V_BSTR(&value) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return value;
}

VARIANT i1VariantOf(signed char value) {
  VARIANT result = variantOf(VT_I1);
  V_I1(&result) = static_cast<CHAR>(value);
  return result;
}

VARIANT i2VariantOf(SHORT value) {
  VARIANT result = variantOf(VT_I2);
  V_I2(&result) = value;
  return result;
}

VARIANT i4VariantOf(LONG value) {
  VARIANT result = variantOf(VT_I4);
  V_I4(&result) = value;
  return result;
}

VARIANT r4VariantOf(FLOAT value) {
  VARIANT result = variantOf(VT_R4);
  V_R4(&result) = value;
  return result;
}

VARIANT r8VariantOf(DOUBLE value) {
  VARIANT result = variantOf(VT_R8);
  V_R8(&result) = value;
  return result;
}

VARIANT boolVariantOf(VARIANT_BOOL value) {
  VARIANT result = variantOf(VT_BOOL);
  V_BOOL(&result) = value;
  return result;
}

}  // namespace vardelon::testing
