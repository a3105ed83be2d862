// A tiny in-process server: DllGetClassObject hands out a class factory
// whose objects implement IUnknown only and count themselves.
#include <atomic>

#include "test_server.h"

namespace {

std::atomic<int> liveObjects{0};

class Object final : public IUnknown {
 public:
  Object() { ++liveObjects; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    *object = nullptr;
    if (riid != IID_IUnknown) return E_NOINTERFACE;
    AddRef();
    *object = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      --liveObjects;
      delete this;
    }
    return left;
  }

 private:
  std::atomic<ULONG> references_{1};
};

// One factory for the life of the library; its count is only reported.
class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    AddRef();
    *object = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    Object* created = new Object;
    const HRESULT result = created->QueryInterface(riid, object);
    created->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  std::atomic<ULONG> references_{1};
};

Factory factory;

}  // namespace

extern "C" HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  *object = nullptr;
  if (clsid != kTestServerClsid) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(riid, object);
}

extern "C" int TestServerLiveObjects() {
  return liveObjects;
}
