// Automation value -> Java object.
#pragma once

#include <jni.h>

#include "platform/automation.h"

namespace vardelon {

// A new local reference for `value` (a boxed scalar, a String or a matrix as
// an array of primitive arrays), or null: for VT_NULL silently, for anything
// it cannot convert after one diagnostic line. `value` is read, never
// released. When the JVM cannot allocate, returns null with the Java
// exception pending.
jobject variantToJava(JNIEnv* env, VARIANT value);

}  // namespace vardelon
