// A minimal in-process automation server for the Windows host under Wine,
// registered as "Vardelon.Application": it resolves the application's 18
// member names, answers the commands the host drives, checks that every call
// has the shape the application expects, and exports probes through which
// the host sees what reached it and how many of its objects are alive.
#include <ole2.h>
#include <oleauto.h>
#include <windows.h>

#include <iterator>
#include <string>
#include <string_view>

#include "wine_server_contract.h"

namespace {

using namespace vardelon::wine;

constexpr LCID kSystemLocale = 0x400;

// What a member takes: its dispatch flag and its one argument's type, if any.
struct Member {
  const wchar_t* name;
  WORD flags;
  VARTYPE argument;  // VT_EMPTY for none
};

// DISPID i + 1 is kMembers[i]; members with a zero flag answer E_NOTIMPL.
constexpr Member kMembers[] = {
    {L"Execute", DISPATCH_METHOD, VT_BSTR},
    {L"Open", DISPATCH_METHOD, VT_BSTR},
    {L"Reload", 0, VT_EMPTY},
    {L"MaximizeMainWindow", DISPATCH_METHOD, VT_EMPTY},
    {L"MinimizeMainWindow", DISPATCH_METHOD, VT_EMPTY},
    {L"RestoreMainWindow", DISPATCH_METHOD, VT_EMPTY},
    {L"Show", DISPATCH_METHOD, VT_EMPTY},
    {L"Quit", DISPATCH_METHOD, VT_EMPTY},
    {L"Version", DISPATCH_PROPERTYGET, VT_EMPTY},
    {L"GetVariableNames", 0, VT_EMPTY},
    {L"GetVariableValueByName", 0, VT_EMPTY},
    {L"GetVariableValues", 0, VT_EMPTY},
    {L"SetVariableValueByName", 0, VT_EMPTY},
    {L"SetVariableValues", 0, VT_EMPTY},
    {L"SetVarChangeNotification", 0, VT_EMPTY},
    {L"GetUVOVariableNames", 0, VT_EMPTY},
    {L"GetUVOVariableValues", 0, VT_EMPTY},
    {L"GetUVOVariableValueByName", 0, VT_EMPTY},
};

// What the probes report. The host drives the server from one thread.
LONG objectsAlive = 0;
LONG invokeCount = 0;
std::wstring lastMember;
std::wstring lastText;

HRESULT answerText(VARIANT* result, const wchar_t* text) {
  if (result == nullptr) return E_POINTER;
  VariantInit(result);
  V_VT(result) = VT_BSTR;
  V_BSTR(result) = SysAllocString(text);
  return V_BSTR(result) != nullptr ? S_OK : E_OUTOFMEMORY;
}

// Checks the call's shape against `member` and records its text argument.
HRESULT acceptCall(const Member& member, REFIID riid, LCID locale, WORD flags,
                   const DISPPARAMS* parameters) {
  if (member.flags == 0) return E_NOTIMPL;
  if (!IsEqualIID(riid, IID_NULL) || locale != kSystemLocale) return E_INVALIDARG;
  if (flags != member.flags) return DISP_E_MEMBERNOTFOUND;
  if (parameters == nullptr || parameters->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  const UINT wanted = member.argument == VT_EMPTY ? 0 : 1;
  if (parameters->cArgs != wanted) return DISP_E_BADPARAMCOUNT;
  if (wanted == 0) return S_OK;
  const VARIANT& argument = parameters->rgvarg[0];
  if (V_VT(&argument) != member.argument) return DISP_E_TYPEMISMATCH;
  // The library sends an empty text as an empty BSTR, never as a null one.
  if (V_BSTR(&argument) == nullptr) return E_POINTER;
  lastText.assign(V_BSTR(&argument), SysStringLen(V_BSTR(&argument)));
  return S_OK;
}

class ServerObject final : public IDispatch {
 public:
  ServerObject() { InterlockedIncrement(&objectsAlive); }
  ServerObject(const ServerObject&) = delete;
  ServerObject& operator=(const ServerObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    HRESULT found = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      for (std::size_t m = 0; m < std::size(kMembers); ++m) {
        if (std::wstring_view(names[i]) == kMembers[m].name) ids[i] = static_cast<DISPID>(m + 1);
      }
      if (ids[i] == DISPID_UNKNOWN) found = DISP_E_UNKNOWNNAME;
    }
    return found;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    ++invokeCount;
    if (id < 1 || id > static_cast<DISPID>(std::size(kMembers))) {
      lastMember.clear();
      return DISP_E_MEMBERNOTFOUND;
    }
    const Member& member = kMembers[id - 1];
    lastMember = member.name;
    if (HRESULT accepted = acceptCall(member, riid, locale, flags, parameters); FAILED(accepted)) {
      return accepted;
    }
    const std::wstring_view name = member.name;
    if (name == L"Version") return answerText(result, kServerVersion);
    if (name == L"Open") return answerText(result, kOpenAnswer);
    if (name == L"Execute" && lastText == kFailingText) return DISP_E_EXCEPTION;
    return S_OK;
  }

 private:
  ~ServerObject() { InterlockedDecrement(&objectsAlive); }

  LONG references_ = 1;
};

class ClassFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  // The factory is static: it lives as long as the module.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    ServerObject* created = new ServerObject;
    const HRESULT queried = created->QueryInterface(riid, object);
    created->Release();
    return queried;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

ClassFactory factory;

// VARDELON_WINE_SERVER_CLSID comes from the build, which writes the same
// identifier into the registration file.
bool isServerClass(REFCLSID clsid) {
  CLSID server{};
  return SUCCEEDED(CLSIDFromString(L"" VARDELON_WINE_SERVER_CLSID, &server)) &&
         IsEqualCLSID(clsid, server);
}

}  // namespace

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!isServerClass(clsid)) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(riid, object);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return objectsAlive == 0 ? S_OK : S_FALSE;
}

LONG ServerObjectsAlive() {
  return objectsAlive;
}
LONG ServerInvokeCount() {
  return invokeCount;
}
const wchar_t* ServerLastMember() {
  return lastMember.c_str();
}
const wchar_t* ServerLastText() {
  return lastText.c_str();
}

}  // extern "C"
