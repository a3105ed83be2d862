#include "variables/reader_call.h"

#include "link/arguments.h"
#include "link/invoke.h"

namespace vardelon {

HRESULT callReader(ServerMember member, std::optional<jint> instance, const VARIANTARG* argument,
                   VARIANT* result) {
  if (instance && argument) {
    return invokeMember(member, {integerArgument(*instance), *argument}, result);
  }
  if (instance) return invokeMember(member, {integerArgument(*instance)}, result);
  if (argument) return invokeMember(member, {*argument}, result);
  return invokeMember(member, {}, result);
}

}  // namespace vardelon
