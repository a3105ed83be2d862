// The vector of numbers, shared by the readers and the writer of variables
// by number.
#pragma once

#include <jni.h>

#include "platform/automation.h"

namespace vardelon {

// A VT_ARRAY|VT_I4 VARIANT, owned by the caller, holding a one-dimensional
// SAFEARRAY with lower bound 0 and one element per int of `numbers`, in
// order. `numbers` is only read. VT_EMPTY, with nothing allocated, when
// `numbers` is null, the vector cannot be created, or the ints cannot be
// had (then a Java exception is pending).
VARIANT newNumberVector(JNIEnv* env, jintArray numbers);

}  // namespace vardelon
