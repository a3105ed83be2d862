#include "value.h"

#include <cstring>

namespace vardelon::simulator {

Value::Value() {
  std::memset(&value_, 0, sizeof value_);
}

Value::Value(Value&& other) noexcept : value_(other.value_) {
  std::memset(&other.value_, 0, sizeof other.value_);
}

Value& Value::operator=(Value&& other) noexcept {
  if (this != &other) {
    VariantClear(&value_);
    value_ = other.value_;
    std::memset(&other.value_, 0, sizeof other.value_);
  }
  return *this;
}

Value::~Value() {
  VariantClear(&value_);
}

Value Value::adopt(const VARIANT& owned) {
  Value value;
  value.value_ = owned;
  return value;
}

Value Value::text(OleStringView text) {
  VARIANT variant;
  VariantInit(&variant);
  V_VT(&variant) = VT_BSTR;
  V_BSTR(&variant) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return adopt(variant);
}

HRESULT Value::assign(const VARIANT& source) {
  VARIANT copy;
  VariantInit(&copy);
  const HRESULT hr = VariantCopy(&copy, copySource(source));
  if (FAILED(hr)) return hr;
  *this = adopt(copy);
  return S_OK;
}

HRESULT Value::copyTo(VARIANT* destination) const {
  VariantInit(destination);
  return VariantCopy(destination, copySource(value_));
}

}  // namespace vardelon::simulator
