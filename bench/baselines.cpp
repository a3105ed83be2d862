#include "baselines.h"

#include <cstddef>
#include <cstring>

namespace vardelon::bench {

jobjectArray rawJavaMatrix(JNIEnv* env, jclass rowClass, const double* values, Shape shape) {
  jobjectArray matrix = env->NewObjectArray(shape.rows, rowClass, nullptr);
  for (jsize i = 0; i < shape.rows; ++i) {
    jdoubleArray row = env->NewDoubleArray(shape.columns);
    env->SetDoubleArrayRegion(row, 0, shape.columns, values + i * shape.columns);
    env->SetObjectArrayElement(matrix, i, row);
  }
  return matrix;
}

SAFEARRAY* rawSafeArray(JNIEnv* env, jobjectArray matrix) {
  const jsize rows = env->GetArrayLength(matrix);
  const jsize columns =
      rows > 0 ? env->GetArrayLength(static_cast<jarray>(env->GetObjectArrayElement(matrix, 0)))
               : 0;
  SAFEARRAYBOUND bounds[] = {{static_cast<ULONG>(rows), 0}, {static_cast<ULONG>(columns), 0}};
  SAFEARRAY* array = SafeArrayCreate(VT_R8, 2, bounds);
  SafeArrayLock(array);
  auto* block = static_cast<double*>(array->pvData);
  for (jsize i = 0; i < rows; ++i) {
    auto row = static_cast<jdoubleArray>(env->GetObjectArrayElement(matrix, i));
    env->GetDoubleArrayRegion(row, 0, columns, block + i * columns);
  }
  SafeArrayUnlock(array);
  return array;
}

SAFEARRAY* rawNumberVector(JNIEnv* env, jintArray numbers) {
  const jsize count = env->GetArrayLength(numbers);
  SAFEARRAY* vector = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(count));
  jint* ints = env->GetIntArrayElements(numbers, nullptr);
  std::memcpy(vector->pvData, ints, static_cast<std::size_t>(count) * sizeof(jint));
  env->ReleaseIntArrayElements(numbers, ints, JNI_ABORT);
  return vector;
}

BSTR rawBstr(JNIEnv* env, jstring text) {
  const jsize length = env->GetStringLength(text);
  BSTR copy = SysAllocStringLen(nullptr, static_cast<UINT>(length));
  env->GetStringRegion(text, 0, length, reinterpret_cast<jchar*>(copy));
  return copy;
}

}  // namespace vardelon::bench
