// The 18 automation members the library calls, in the order connect
// resolves them.
#pragma once

#include <cstddef>

#include "platform/automation.h"

namespace vardelon {

enum class ServerMember : int {
  Execute,
  Open,
  Reload,
  MaximizeMainWindow,
  MinimizeMainWindow,
  RestoreMainWindow,
  Show,
  Quit,
  Version,
  GetVariableNames,
  GetVariableValueByName,
  GetVariableValues,
  SetVariableValueByName,
  SetVariableValues,
  SetVarChangeNotification,
  GetUVOVariableNames,
  GetUVOVariableValues,
  GetUVOVariableValueByName,
};

inline constexpr std::size_t kServerMemberCount = 18;

// The locale of every name look-up and every call.
inline constexpr LCID kServerLocale = 0x400;

// The member's name as GetIDsOfNames takes it.
LPOLESTR serverMemberName(ServerMember member);

}  // namespace vardelon
