// VARIANT life cycle: initialise, clear (release what the value owns) and
// copy (duplicate what it owns), with Windows' checks of the type tag.
#include "variant.h"
#include "bstr.h"
#include "com.h"
#include "layer_internal.h"
#include "safearray.h"

namespace {

constexpr VARTYPE VT_CLSID = 72;

// The type tags Windows accepts in a VARIANT: base types up to VT_UINT, and
// VT_RECORD and VT_CLSID, optionally with VT_BYREF or VT_ARRAY; never
// VT_VECTOR or VT_RESERVED, never the unassigned 15, and no array or
// reference of VT_EMPTY or VT_NULL.
HRESULT validateType(VARTYPE type) {
  const VARTYPE modifiers = type & ~VT_TYPEMASK;
  const VARTYPE base = type & VT_TYPEMASK;
  if (modifiers & (VT_VECTOR | VT_RESERVED)) return DISP_E_BADVARTYPE;
  if (base >= VT_VOID && base != VT_RECORD && base != VT_CLSID) return DISP_E_BADVARTYPE;
  if ((modifiers & (VT_BYREF | VT_ARRAY)) && base <= VT_NULL) return DISP_E_BADVARTYPE;
  if (base == 15) return DISP_E_BADVARTYPE;
  // Records need IRecordInfo, which this layer does not provide.
  if (base == VT_RECORD) return DISP_E_BADVARTYPE;
  return S_OK;
}

bool holdsInterface(VARTYPE type) {
  return type == VT_UNKNOWN || type == VT_DISPATCH;
}

}  // namespace

extern "C" {

void VariantInit(VARIANTARG* value) {
  // As on Windows, only the tag: the old contents are not interpreted.
  V_VT(value) = VT_EMPTY;
}

HRESULT VariantClear(VARIANTARG* value) {
  if (value == nullptr) return E_INVALIDARG;
  HRESULT result = validateType(V_VT(value));
  if (FAILED(result)) return result;
  // A reference designates a value owned elsewhere: nothing to release.
  if (!V_ISBYREF(value)) {
    if (V_ISARRAY(value)) {
      result = SafeArrayDestroy(V_ARRAY(value));
    } else if (V_VT(value) == VT_BSTR) {
      SysFreeString(V_BSTR(value));
    } else if (holdsInterface(V_VT(value)) && V_UNKNOWN(value) != nullptr) {
      V_UNKNOWN(value)->Release();
    }
  }
  V_VT(value) = VT_EMPTY;
  return result;
}

HRESULT VariantCopy(VARIANTARG* destination, const VARIANTARG* source) {
  if (destination == nullptr || source == nullptr) return E_INVALIDARG;
  HRESULT result = validateType(V_VT(source));
  if (FAILED(result) || destination == source) return result;
  result = VariantClear(destination);
  if (FAILED(result)) return result;
  *destination = *source;
  if (V_ISBYREF(source)) return S_OK;
  if (V_ISARRAY(source)) return SafeArrayCopy(V_ARRAY(source), &V_ARRAY(destination));
  if (V_VT(source) == VT_BSTR) {
    // A null BSTR copies as empty text, as Windows' own VariantCopy does.
    V_BSTR(destination) = automation::duplicateBstr(V_BSTR(source));
    if (V_BSTR(destination) == nullptr) return E_OUTOFMEMORY;
  } else if (holdsInterface(V_VT(source)) && V_UNKNOWN(source) != nullptr) {
    V_UNKNOWN(source)->AddRef();
  }
  return S_OK;
}

}  // extern "C"
