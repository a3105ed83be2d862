// The values the benchmarks convert: matrices of one shape on both sides,
// holding varied values, the plain buffer that a raw baseline copies, and
// text.
#pragma once

#include <jni.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/automation.h"

namespace vardelon::bench {

struct Shape {
  jsize rows;
  jsize columns;
};

// "100x100"
std::string shapeName(Shape shape);

// A VT_ARRAY|`type` VARIANT, owned by the caller, holding a matrix of
// `shape` (dimension 1 the rows). Its data block holds varied values for
// VT_R8, VT_I2 and VT_BOOL (true and false mixed); other types stay zero.
VARIANT newMatrixVariant(VARTYPE type, Shape shape);

// The doubles of newMatrixVariant(VT_R8, shape), rows one after another.
std::vector<double> realValues(Shape shape);

// The Java array of arrays that newMatrixVariant(type, shape) converts to,
// as a local reference.
jobjectArray newJavaMatrix(JNIEnv* env, VARTYPE type, Shape shape);

// A new double[] holding the values of realValues({1, length}), as a local
// reference.
jdoubleArray newJavaRow(JNIEnv* env, jsize length);

// "Matrix100x100", as an automation name.
std::u16string matrixVariableName(const std::string& prefix, Shape shape);

// A new int[] holding 0, 1, ... `count` - 1, as a local reference.
jintArray newJavaNumbers(JNIEnv* env, jsize count);

// A new Java string of `text`, as a local reference.
jstring newJavaText(JNIEnv* env, std::u16string_view text);

}  // namespace vardelon::bench
