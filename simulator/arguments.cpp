#include "arguments.h"

#include "link/holders.h"

namespace vardelon::simulator {

HRESULT Arguments::mismatch(UINT position) const {
  if (argumentError_ != nullptr) *argumentError_ = params_.cArgs - 1 - position;
  return DISP_E_TYPEMISMATCH;
}

HRESULT Arguments::coerced(UINT position, VARTYPE type, VARIANT* value) const {
  const VARIANT& source = at(position);
  if (V_ISBYREF(&source) || V_ISARRAY(&source)) return mismatch(position);
  if (FAILED(VariantChangeType(value, copySource(source), 0, type))) return mismatch(position);
  return S_OK;
}

HRESULT Arguments::integer(UINT position, LONG* value) const {
  unique_variant number;
  const HRESULT hr = coerced(position, VT_I4, number.get());
  if (SUCCEEDED(hr)) *value = V_I4(number.get());
  return hr;
}

HRESULT Arguments::text(UINT position, OleString* value) const {
  unique_variant text;
  const HRESULT hr = coerced(position, VT_BSTR, text.get());
  if (SUCCEEDED(hr)) value->assign(V_BSTR(text.get()), SysStringLen(V_BSTR(text.get())));
  return hr;
}

namespace {

// A stored value must own everything it holds: no pointer into the caller's
// memory, no object of the caller's.
bool isStorable(const VARIANT& value) {
  const VARTYPE base = V_VT(&value) & VT_TYPEMASK;
  if (V_ISBYREF(&value) || base == VT_DISPATCH || base == VT_UNKNOWN) return false;
  return !V_ISARRAY(&value) || V_ARRAY(&value) != nullptr;
}

}  // namespace

HRESULT Arguments::storable(UINT position, const VARIANT** value) const {
  if (!isStorable(at(position))) return mismatch(position);
  *value = &at(position);
  return S_OK;
}

HRESULT Arguments::vector(UINT position, VARTYPE elementType, SAFEARRAY** array) const {
  const VARIANT* holder = &at(position);
  if (V_VT(holder) == (VT_BYREF | VT_VARIANT)) holder = V_VARIANTREF(holder);
  if (holder == nullptr) return mismatch(position);
  if (V_VT(holder) == (VT_ARRAY | elementType)) {
    *array = V_ARRAY(holder);
  } else if (V_VT(holder) == (VT_BYREF | VT_ARRAY | elementType) && V_ARRAYREF(holder) != nullptr) {
    *array = *V_ARRAYREF(holder);
  } else {
    return mismatch(position);
  }
  if (*array == nullptr || SafeArrayGetDim(*array) != 1) return mismatch(position);
  return S_OK;
}

namespace {

// Calls `take(element)` for every element of a one-dimensional array, in
// index order, each fetched as the copy SafeArrayGetElement hands out.
template <typename Element, typename Take>
HRESULT forEachElement(SAFEARRAY* array, Take take) {
  LONG lower = 0;
  LONG upper = -1;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  for (LONG index = lower; index <= upper; ++index) {
    Element element{};
    const HRESULT hr = SafeArrayGetElement(array, &index, &element);
    if (FAILED(hr)) return hr;
    take(element);
  }
  return S_OK;
}

}  // namespace

HRESULT Arguments::numbers(UINT position, std::vector<LONG>* values) const {
  SAFEARRAY* array = nullptr;
  HRESULT hr = vector(position, VT_I4, &array);
  if (FAILED(hr)) return hr;
  hr = forEachElement<LONG>(array, [values](LONG number) { values->push_back(number); });
  return FAILED(hr) ? mismatch(position) : S_OK;
}

HRESULT Arguments::values(UINT position, std::vector<Value>* values) const {
  SAFEARRAY* array = nullptr;
  HRESULT hr = vector(position, VT_VARIANT, &array);
  if (FAILED(hr)) return hr;
  bool allStorable = true;
  hr = forEachElement<VARIANT>(array, [&](const VARIANT& copy) {
    allStorable = allStorable && isStorable(copy);
    values->push_back(Value::adopt(copy));
  });
  return FAILED(hr) || !allStorable ? mismatch(position) : S_OK;
}

}  // namespace vardelon::simulator
