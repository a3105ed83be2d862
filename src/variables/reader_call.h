// The call every reader makes. A per-instance reader and its engine-level
// twin differ only in their member and in whether `instance` goes first.
#pragma once

#include <jni.h>

#include <optional>

#include "link/server_member.h"
#include "platform/automation.h"

namespace vardelon {

// Invokes `member` with `instance` (when there is one) and then `argument`
// (when there is one).
HRESULT callReader(ServerMember member, std::optional<jint> instance, const VARIANTARG* argument,
                   VARIANT* result);

}  // namespace vardelon
