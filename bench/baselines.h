// The baselines of the conversions: the same copying done with raw JNI and
// OLE Automation calls and nothing else, every class looked up once by the
// caller. The ratio of a conversion to its baseline is what the library
// adds over the calls it cannot avoid.
#pragma once

#include <jni.h>

#include "platform/automation.h"
#include "values.h"

namespace vardelon::bench {

// A double[][] of `shape` from `values` (rows one after another):
// NewObjectArray, then NewDoubleArray, SetDoubleArrayRegion and
// SetObjectArrayElement per row. `rowClass` is "[D".
jobjectArray rawJavaMatrix(JNIEnv* env, jclass rowClass, const double* values, Shape shape);

// A VT_R8 SAFEARRAY holding the double[][] `matrix` in row order:
// SafeArrayCreate, then GetObjectArrayElement and GetDoubleArrayRegion per
// row straight into the locked data block. The caller destroys it.
SAFEARRAY* rawSafeArray(JNIEnv* env, jobjectArray matrix);

// A VT_I4 vector (lower bound 0) of the int[] `numbers`, read as the
// library reads it: GetIntArrayElements, one copy of the whole block into
// the vector's data, ReleaseIntArrayElements with JNI_ABORT. The caller
// destroys it.
SAFEARRAY* rawNumberVector(JNIEnv* env, jintArray numbers);

// A BSTR of the string's code units: GetStringRegion straight into a
// SysAllocStringLen buffer. The caller frees it.
BSTR rawBstr(JNIEnv* env, jstring text);

}  // namespace vardelon::bench
