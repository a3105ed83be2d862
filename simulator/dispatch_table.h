// The server's 18 automation members: name, identifier, how each is invoked,
// how many arguments it takes, and what it does to the application.
#pragma once

#include <span>
#include <string_view>

#include "application.h"
#include "arguments.h"
#include "ole_text.h"
#include "platform/automation.h"

namespace vardelon::simulator {

// Runs a member whose arguments were already counted; `result` may be null.
using MemberAction = HRESULT (*)(Application& application, const Arguments& arguments,
                                 VARIANT* result);

struct Member {
  OleStringView name;
  DISPID id;
  WORD invokeKind;  // DISPATCH_METHOD, or DISPATCH_PROPERTYGET for "Version"
  UINT argumentCount;
  MemberAction action;
};

std::span<const Member> serverMembers();

// Names compare without regard to case, as OLE Automation's do. Null when
// there is no such member.
const Member* findMember(OleStringView name);
const Member* findMember(DISPID id);

}  // namespace vardelon::simulator
