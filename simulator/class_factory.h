// The simulator's class object: it makes server objects for the running
// application. As an application started for automation does, that one lives
// while some client holds one of its objects; a client that comes after the
// last one let go, or after "Quit", starts a new one with the demo variables.
#pragma once

#include <memory>

#include "application.h"
#include "platform/automation.h"
#include "recursive_lock.h"

namespace vardelon::simulator {

class ClassFactory final : public IClassFactory {
 public:
  // The one class object of the process; it lives as long as the module.
  static ClassFactory& instance();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

  // True while a client holds a server object or a lock on the server, when
  // the module must stay loaded.
  bool inUse();

 private:
  ClassFactory() = default;
  ~ClassFactory() = default;

  std::shared_ptr<Application> runningApplication();

  RecursiveLock mutex_;
  std::weak_ptr<Application> application_;
  LONG locks_ = 0;
};

}  // namespace vardelon::simulator
