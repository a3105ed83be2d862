// VariantChangeType(Ex): the rules around the values: which tags are valid,
// references read through, byte arrays and text, arrays copied as they are,
// and in-place use. The result is built aside and stored only on success, so
// a failed coercion leaves the destination as it was, even when it is the
// source itself.
#include <cstring>

#include "bstr.h"
#include "coerce_scalar.h"
#include "safearray.h"
#include "variant.h"

namespace {

using automation::coerce::coerceScalar;
using automation::coerce::isScalar;
using automation::coerce::scalarSize;

constexpr VARTYPE kByteArray = VT_ARRAY | VT_UI1;

// Tags a VARIANT may carry: the base types, by reference or as arrays, but
// never an array or reference of nothing, a vector or the reserved bit.
bool isVariantType(VARTYPE vt) {
  if (vt & (VT_VECTOR | VT_RESERVED)) return false;
  VARTYPE base = vt & VT_TYPEMASK;
  if ((vt & (VT_ARRAY | VT_BYREF)) && base <= VT_NULL) return false;
  return base <= VT_DECIMAL || (base >= VT_I1 && base <= VT_UINT) || base == VT_RECORD;
}

// The value a by-reference VARIANT designates, as a plain VARIANT that
// borrows whatever it holds. A VARIANT reached through VT_VARIANT may itself
// refer to a value, but not to another VARIANT.
HRESULT dereference(const VARIANT& source, VARIANT& plain, bool throughVariant = true) {
  VARTYPE type = source.vt & ~VT_BYREF;
  const void* target = source.byref;  // read before plain, which may be source, changes
  if (target == nullptr) return E_INVALIDARG;
  if (type == VT_VARIANT) {
    if (!throughVariant) return E_INVALIDARG;
    plain = *static_cast<const VARIANT*>(target);
    return (plain.vt & VT_BYREF) ? dereference(plain, plain, false) : S_OK;
  }
  std::size_t size = (type & VT_ARRAY) ? sizeof(SAFEARRAY*) : scalarSize(type);
  if (size == 0) return DISP_E_TYPEMISMATCH;
  plain = VARIANT{};
  plain.vt = type;
  std::memcpy(&plain.llVal, target, size);
  return S_OK;
}

// A one-dimensional array of bytes becomes text of those bytes.
HRESULT textFromBytes(SAFEARRAY* bytes, VARIANT& result) {
  if (bytes == nullptr || bytes->cDims != 1) return E_INVALIDARG;
  BSTR text =
      SysAllocStringByteLen(static_cast<LPCSTR>(bytes->pvData), bytes->rgsabound[0].cElements);
  if (text == nullptr) return E_OUTOFMEMORY;
  result.vt = VT_BSTR;
  result.bstrVal = text;
  return S_OK;
}

// Text becomes the array of its bytes, from index 0.
HRESULT bytesFromText(BSTR text, VARIANT& result) {
  UINT length = SysStringByteLen(text);
  SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, length);
  if (bytes == nullptr) return E_OUTOFMEMORY;
  if (length != 0) std::memcpy(bytes->pvData, text, length);
  result.vt = kByteArray;
  result.parray = bytes;
  return S_OK;
}

// Coerces a plain (not by-reference) source into result, which starts empty.
HRESULT coerce(const VARIANT& source, VARTYPE target, USHORT flags, VARIANT& result) {
  if (isScalar(source.vt)) {
    if (source.vt == VT_BSTR && target == kByteArray) return bytesFromText(source.bstrVal, result);
    return coerceScalar(source, target, flags, result);
  }
  // Other values (arrays, objects, currency, dates, decimals) only copy to
  // their own type; of the rest the layer converts byte arrays to text.
  if (source.vt == target) return VariantCopy(&result, &source);
  if (source.vt == kByteArray && target == VT_BSTR) return textFromBytes(source.parray, result);
  return DISP_E_TYPEMISMATCH;
}

}  // namespace

extern "C" HRESULT VariantChangeTypeEx(VARIANTARG* destination, const VARIANTARG* source,
                                       LCID /*locale: US English conventions throughout*/,
                                       USHORT flags, VARTYPE type) {
  if (destination == nullptr || source == nullptr) return E_INVALIDARG;
  if (!isVariantType(type) || !isVariantType(source->vt)) return DISP_E_BADVARTYPE;
  if (type & VT_BYREF) return DISP_E_TYPEMISMATCH;
  if (destination == source && source->vt == type) return S_OK;

  VARIANT plain{};
  const VARIANT* value = source;
  if (source->vt & VT_BYREF) {
    HRESULT hr = dereference(*source, plain);
    if (FAILED(hr)) return hr;
    value = &plain;
  }
  VARIANT result{};
  HRESULT hr = coerce(*value, type, flags, result);
  if (FAILED(hr)) return hr;
  // In place, this releases what the source held; the result is already a copy.
  hr = VariantClear(destination);
  if (FAILED(hr)) {
    VariantClear(&result);
    return hr;
  }
  *destination = result;
  return S_OK;
}

extern "C" HRESULT VariantChangeType(VARIANTARG* destination, const VARIANTARG* source,
                                     USHORT flags, VARTYPE type) {
  return VariantChangeTypeEx(destination, source, LOCALE_USER_DEFAULT, flags, type);
}
