#include "server_object.h"

#include <mutex>
#include <new>
#include <string_view>

#include "dispatch_table.h"
#include "ole_text.h"

namespace vardelon::simulator {

namespace {

// The exception record of a failed command, which the caller frees: the
// server's name, what went wrong, and the failure's own code.
void describeFailure(const Failure& failure, EXCEPINFO* exception) {
  if (exception == nullptr) return;
  *exception = EXCEPINFO{};
  exception->bstrSource = SysAllocString(OLESTR("Vardelon.Application"));
  const OleString description = toOleString(failure.description);
  exception->bstrDescription =
      SysAllocStringLen(description.data(), static_cast<UINT>(description.size()));
  exception->scode = failure.code;
}

}  // namespace

HRESULT ServerObject::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

ULONG ServerObject::AddRef() {
  return ++references_;
}

ULONG ServerObject::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT ServerObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_INVALIDARG;
  *count = 0;
  return S_OK;
}

HRESULT ServerObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return DISP_E_BADINDEX;  // the server has no type information
}

HRESULT ServerObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (names == nullptr || ids == nullptr || count == 0 || names[0] == nullptr) {
    return E_INVALIDARG;
  }
  // Names after the first would be parameter names, and no member has any.
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  const Member* member = findMember(OleStringView(names[0]));
  if (member == nullptr) return DISP_E_UNKNOWNNAME;
  ids[0] = member->id;
  return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT ServerObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  const Member* member = findMember(id);
  if (member == nullptr || (flags & member->invokeKind) == 0) return DISP_E_MEMBERNOTFOUND;
  if (params == nullptr || (params->cArgs > 0 && params->rgvarg == nullptr)) return E_INVALIDARG;
  if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  if (params->cArgs != member->argumentCount) return DISP_E_BADPARAMCOUNT;

  std::scoped_lock lock(application_->mutex());
  if (!application_->running()) return kApplicationGone;
  try {
    const HRESULT hr = member->action(*application_, Arguments(*params, argumentError), result);
    if (hr == DISP_E_EXCEPTION) describeFailure(application_->lastFailure(), exception);
    return hr;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace vardelon::simulator
