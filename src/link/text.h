// Text between Java strings and BSTRs.
#pragma once

#include <jni.h>

#include "platform/automation.h"

namespace vardelon {

// A new BSTR with the string's text up to its first U+0000; the caller frees
// it. Null when `text` is null or memory cannot be had (then a Java
// exception may be pending); an empty string gives an empty, non-null BSTR.
BSTR javaStringToBstr(JNIEnv* env, jstring text);

// A new Java string over every code unit of `text` (SysStringLen of them);
// a null BSTR gives "". Null only when the JVM is out of memory.
jstring bstrToJavaString(JNIEnv* env, BSTR text);

}  // namespace vardelon
