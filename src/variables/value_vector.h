// The vector of values that setVariableValues sends.
#pragma once

#include <jni.h>

#include "platform/automation.h"

namespace vardelon {

// A VT_ARRAY|VT_VARIANT VARIANT, owned by the caller, holding a
// one-dimensional SAFEARRAY with lower bound 0 whose element i is the
// conversion of Java element i. An element of no recognised class is
// reported by the converter and travels as VT_EMPTY. VT_EMPTY, with nothing
// allocated, when `values` is null, the vector cannot be created, or a
// conversion runs out of Java memory (then the Java exception is pending).
VARIANT newValueVector(JNIEnv* env, jobjectArray values);

}  // namespace vardelon
