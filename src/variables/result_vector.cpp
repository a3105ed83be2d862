#include "variables/result_vector.h"

namespace vardelon {
namespace {

// SafeArrayGetElement copies an element by the array's own feature flags and
// element size, not by the VARIANT's tag: both must match the promised type.
bool holdsElementsOf(SAFEARRAY* array, VARTYPE elementType) {
  switch (elementType) {
    case VT_BSTR:
      return (array->fFeatures & FADF_BSTR) && SafeArrayGetElemsize(array) == sizeof(BSTR);
    case VT_VARIANT:
      return (array->fFeatures & FADF_VARIANT) && SafeArrayGetElemsize(array) == sizeof(VARIANT);
    default:
      return false;
  }
}

}  // namespace

SAFEARRAY* resultVector(const VARIANT& result, VARTYPE elementType) {
  if (V_VT(&result) != (VT_ARRAY | elementType)) return nullptr;
  SAFEARRAY* array = V_ARRAY(&result);
  if (array == nullptr || SafeArrayGetDim(array) != 1 || !holdsElementsOf(array, elementType)) {
    return nullptr;
  }
  return array;
}

}  // namespace vardelon
