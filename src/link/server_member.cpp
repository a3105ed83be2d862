#include "link/server_member.h"

#include <iterator>

namespace vardelon {
namespace {

// In ServerMember order: the order connect resolves them in.
constexpr const OLECHAR* kMemberNames[] = {
    OLESTR("Execute"),
    OLESTR("Open"),
    OLESTR("Reload"),
    OLESTR("MaximizeMainWindow"),
    OLESTR("MinimizeMainWindow"),
    OLESTR("RestoreMainWindow"),
    OLESTR("Show"),
    OLESTR("Quit"),
    OLESTR("Version"),
    OLESTR("GetVariableNames"),
    OLESTR("GetVariableValueByName"),
    OLESTR("GetVariableValues"),
    OLESTR("SetVariableValueByName"),
    OLESTR("SetVariableValues"),
    OLESTR("SetVarChangeNotification"),
    OLESTR("GetUVOVariableNames"),
    OLESTR("GetUVOVariableValues"),
    OLESTR("GetUVOVariableValueByName"),
};
static_assert(std::size(kMemberNames) == kServerMemberCount);
static_assert(static_cast<std::size_t>(ServerMember::GetUVOVariableValueByName) + 1 ==
              kServerMemberCount);

}  // namespace

LPOLESTR serverMemberName(ServerMember member) {
  // GetIDsOfNames takes the names as non-const but only reads them.
  return const_cast<LPOLESTR>(kMemberNames[static_cast<std::size_t>(member)]);
}

}  // namespace vardelon
