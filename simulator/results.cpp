#include "results.h"

#include "link/holders.h"

namespace vardelon::simulator {

namespace {

// Fills a new vector of `count` elements through its data block and hands it
// over as VT_ARRAY|type; the vector is destroyed when a fill fails.
template <typename Element, typename Fill>
HRESULT putVector(VARTYPE type, std::size_t count, VARIANT* result, Fill fill) {
  if (result == nullptr) return S_OK;
  unique_safearray array(SafeArrayCreateVector(type, 0, static_cast<ULONG>(count)));
  if (!array) return E_OUTOFMEMORY;
  void* data = nullptr;
  HRESULT hr = SafeArrayAccessData(array.get(), &data);
  for (std::size_t i = 0; SUCCEEDED(hr) && i < count; ++i) {
    hr = fill(i, static_cast<Element*>(data)[i]);
  }
  if (data != nullptr) SafeArrayUnaccessData(array.get());
  if (FAILED(hr)) return hr;
  VariantInit(result);
  V_VT(result) = VT_ARRAY | type;
  V_ARRAY(result) = array.release();
  return S_OK;
}

}  // namespace

HRESULT putInteger(LONG number, VARIANT* result) {
  if (result == nullptr) return S_OK;
  VariantInit(result);
  V_VT(result) = VT_I4;
  V_I4(result) = number;
  return S_OK;
}

HRESULT putText(OleStringView text, VARIANT* result) {
  if (result == nullptr) return S_OK;
  return Value::text(text).copyTo(result);
}

HRESULT putValue(const Value* value, VARIANT* result) {
  if (value == nullptr) return DISP_E_UNKNOWNNAME;
  if (result == nullptr) return S_OK;
  return value->copyTo(result);
}

HRESULT putNames(const VariableTable& table, VARIANT* result) {
  const std::vector<OleString> names = table.names();
  return putVector<BSTR>(VT_BSTR, names.size(), result, [&](std::size_t i, BSTR& element) {
    element = SysAllocStringLen(names[i].data(), static_cast<UINT>(names[i].size()));
    return element == nullptr ? E_OUTOFMEMORY : S_OK;
  });
}

HRESULT putValues(const VariableTable& table, const std::vector<LONG>& numbers, VARIANT* result) {
  return putVector<VARIANT>(VT_VARIANT, numbers.size(), result,
                            [&](std::size_t i, VARIANT& element) {
                              const Value* value = table.find(numbers[i]);
                              return value == nullptr ? S_OK : value->copyTo(&element);
                            });
}

}  // namespace vardelon::simulator
