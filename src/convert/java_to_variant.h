// Java object -> automation value.
#pragma once

#include <jni.h>

#include "platform/automation.h"

namespace vardelon {

// A new VARIANT for `value`, owned by the caller, who clears it. Wrappers
// become scalars, a String a BSTR, one- and two-dimensional primitive arrays
// a matrix; null becomes VT_NULL. In an array of arrays, row 0 gives the
// width, a null row counts as empty and a shorter row is padded with zeros.
// Anything else, a row longer than row 0 included, gives VT_EMPTY after one
// diagnostic line. When the JVM or the layer cannot allocate, gives VT_EMPTY
// (with the Java exception pending if the JVM failed).
VARIANT javaToVariant(JNIEnv* env, jobject value);

// Unfilled matrices of `elementType`: one row of `array`'s length (0 x 0 when
// empty), or one row per element of an array of arrays, as long as its row 0.
// A null array or row counts as empty. VT_EMPTY after a diagnostic line when
// no such SAFEARRAY can be had.
VARIANT newRowMatrix(JNIEnv* env, jarray array, VARTYPE elementType);
VARIANT newMatrix(JNIEnv* env, jobjectArray array, VARTYPE elementType);

}  // namespace vardelon
