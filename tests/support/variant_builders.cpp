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

}  // namespace vardelon::testing
