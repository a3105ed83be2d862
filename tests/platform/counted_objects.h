// COM fakes that count the references they are given, so that a test can
// see every AddRef and Release the layer makes. They live on the test's
// stack: the count is checked, never used to delete.
#pragma once

#include "platform/automation.h"

namespace platform_testing {

class CountedUnknown final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    *object = nullptr;
    if (riid != IID_IUnknown) return E_NOINTERFACE;
    AddRef();
    *object = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }

  // References taken beyond the one the test holds.
  ULONG extraReferences() const { return references_ - 1; }

 private:
  ULONG references_ = 1;
};

// A class factory that hands out `product` (with a new reference) and
// rejects aggregation as most factories do.
class CountedFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return product.QueryInterface(riid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  ULONG extraReferences() const { return references_ - 1; }

  CountedUnknown product;

 private:
  ULONG references_ = 1;
};

}  // namespace platform_testing
