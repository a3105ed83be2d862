#include "variables/number_vector.h"

#include "link/holders.h"

namespace vardelon {

VARIANT newNumberVector(JNIEnv* env, jintArray numbers) {
  VARIANT held;
  VariantInit(&held);
  if (numbers == nullptr) return held;
  const jsize count = env->GetArrayLength(numbers);
  unique_safearray vector(SafeArrayCreateVector(VT_I4, 0, count));
  if (!vector) return held;
  jint* ints = env->GetIntArrayElements(numbers, nullptr);
  if (ints == nullptr) return held;
  for (LONG i = 0; i < count; ++i) SafeArrayPutElement(vector.get(), &i, &ints[i]);
  // JNI_ABORT: the Java array is never written back, whatever a copy holds.
  env->ReleaseIntArrayElements(numbers, ints, JNI_ABORT);
  V_VT(&held) = VT_ARRAY | VT_I4;
  V_ARRAY(&held) = vector.release();
  return held;
}

}  // namespace vardelon
