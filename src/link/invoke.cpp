#include "link/invoke.h"

#include <algorithm>

#include "link/connection.h"

namespace vardelon {
namespace {

// The most arguments any member takes.
constexpr std::size_t kMaxArguments = 3;

WORD dispatchFlags(ServerMember member) {
  return member == ServerMember::Version ? DISPATCH_PROPERTYGET : DISPATCH_METHOD;
}

// The library never reads the exception record, but the texts a server
// leaves in it are the caller's to free.
void freeExceptionTexts(EXCEPINFO& exception) {
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
}

}  // namespace

HRESULT invokeMember(ServerMember member, std::initializer_list<VARIANTARG> arguments,
                     VARIANT* result) {
  if (arguments.size() > kMaxArguments) return DISP_E_BADPARAMCOUNT;
  // The server takes the arguments last-first.
  VARIANTARG reversed[kMaxArguments]{};
  std::reverse_copy(arguments.begin(), arguments.end(), reversed);

  DISPPARAMS parameters{};
  if (arguments.size() > 0) {
    parameters.rgvarg = reversed;
    parameters.cArgs = static_cast<UINT>(arguments.size());
  }
  EXCEPINFO exception{};
  UINT argumentError = 0;
  const HRESULT invoked = serverDispatch->Invoke(memberDispIds[static_cast<std::size_t>(member)],
                                                 IID_NULL, kServerLocale, dispatchFlags(member),
                                                 &parameters, result, &exception, &argumentError);
  freeExceptionTexts(exception);
  return invoked;
}

}  // namespace vardelon
