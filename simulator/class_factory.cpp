#include "class_factory.h"

#include <mutex>
#include <new>

#include "server_object.h"

namespace vardelon::simulator {

ClassFactory& ClassFactory::instance() {
  static ClassFactory factory;
  return factory;
}

HRESULT ClassFactory::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IClassFactory*>(this);
  return S_OK;
}

std::shared_ptr<Application> ClassFactory::runningApplication() {
  std::scoped_lock lock(mutex_);
  if (std::shared_ptr<Application> current = application_.lock()) {
    std::scoped_lock applicationLock(current->mutex());
    if (current->running()) return current;
  }
  auto started = std::make_shared<Application>();
  application_ = started;
  return started;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  try {
    auto* server = new ServerObject(runningApplication());
    const HRESULT hr = server->QueryInterface(riid, object);
    server->Release();  // the query's reference, if any, is the caller's
    return hr;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT ClassFactory::LockServer(BOOL lock) {
  std::scoped_lock guard(mutex_);
  locks_ += lock ? 1 : -1;
  return S_OK;
}

bool ClassFactory::inUse() {
  std::scoped_lock lock(mutex_);
  return !application_.expired() || locks_ > 0;
}

}  // namespace vardelon::simulator
