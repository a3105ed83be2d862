// The object a client gets from the class factory: the application's
// IDispatch. Every object made while the application runs shares it; once a
// client has called "Quit", the objects still held answer every member with
// kApplicationGone, as a server that has exited would.
#pragma once

#include <atomic>
#include <memory>

#include "application.h"
#include "platform/automation.h"

namespace vardelon::simulator {

class ServerObject final : public IDispatch {
 public:
  explicit ServerObject(std::shared_ptr<Application> application)
      : application_(std::move(application)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override;

 private:
  ~ServerObject() = default;  // objects go with their last Release

  std::atomic<ULONG> references_{1};
  std::shared_ptr<Application> application_;
};

}  // namespace vardelon::simulator
