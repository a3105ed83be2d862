// The JVM the native suites run in: created once per test binary.
#pragma once

#include <jni.h>

namespace vardelon::testing {

// The calling thread's JNIEnv; the first call creates the JVM.
JNIEnv* jniEnv();

}  // namespace vardelon::testing
