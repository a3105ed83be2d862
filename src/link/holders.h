// Owners of automation resources, released when they go out of scope.
#pragma once

#include <cstring>
#include <utility>

#include "platform/automation.h"

namespace vardelon {

// A handle freed by `Free` unless released.
template <typename Handle, auto Free>
class unique_handle {
 public:
  unique_handle() = default;
  explicit unique_handle(Handle handle) : handle_(handle) {}
  unique_handle(const unique_handle&) = delete;
  unique_handle& operator=(const unique_handle&) = delete;
  ~unique_handle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  Handle release() { return std::exchange(handle_, nullptr); }
  void reset(Handle handle = nullptr) {
    if (handle_ != nullptr) Free(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

using unique_bstr = unique_handle<BSTR, SysFreeString>;
using unique_safearray = unique_handle<SAFEARRAY*, SafeArrayDestroy>;

template <typename Interface>
void releaseReference(Interface* reference) {
  reference->Release();
}

// One reference on a COM object, given back unless released.
template <typename Interface>
using unique_com = unique_handle<Interface*, releaseReference<Interface>>;

// A VARIANT that starts empty (every byte zero) and is cleared at the end of
// its scope.
class unique_variant {
 public:
  unique_variant() { std::memset(&value_, 0, sizeof value_); }
  explicit unique_variant(const VARIANT& adopted) : value_(adopted) {}
  unique_variant(const unique_variant&) = delete;
  unique_variant& operator=(const unique_variant&) = delete;
  ~unique_variant() { VariantClear(&value_); }

  VARIANT* get() { return &value_; }
  VARIANT& operator*() { return value_; }
  VARIANT* operator->() { return &value_; }

 private:
  VARIANT value_;
};

}  // namespace vardelon
