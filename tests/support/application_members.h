// The names the application gives its automation members, in the library's
// order of ServerMember. Tests keep this list apart from the library's table
// and the simulator's, so that a name misspelt in either fails to resolve.
#pragma once

#include <array>
#include <string_view>

namespace vardelon::testing {

inline constexpr std::array<std::u16string_view, 18> kApplicationMemberNames = {
    u"Execute",
    u"Open",
    u"Reload",
    u"MaximizeMainWindow",
    u"MinimizeMainWindow",
    u"RestoreMainWindow",
    u"Show",
    u"Quit",
    u"Version",
    u"GetVariableNames",
    u"GetVariableValueByName",
    u"GetVariableValues",
    u"SetVariableValueByName",
    u"SetVariableValues",
    u"SetVarChangeNotification",
    u"GetUVOVariableNames",
    u"GetUVOVariableValues",
    u"GetUVOVariableValueByName",
};

}  // namespace vardelon::testing
