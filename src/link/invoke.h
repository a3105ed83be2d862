// The one way the library calls the server.
#pragma once

#include <initializer_list>

#include "link/server_member.h"
#include "platform/automation.h"

namespace vardelon {

// Invokes `member` on serverDispatch with `arguments` given in the member's
// own order (the helper stores them last-first), locale 0x400, no named
// arguments, DISPATCH_METHOD (DISPATCH_PROPERTYGET for Version). `result`
// is null for members whose result is not used; otherwise the caller passes
// a zero-filled VARIANT. The arguments stay owned by the caller.
HRESULT invokeMember(ServerMember member, std::initializer_list<VARIANTARG> arguments,
                     VARIANT* result);

}  // namespace vardelon
