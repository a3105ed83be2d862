#include "variables/value_vector.h"

#include "convert/java_to_variant.h"
#include "link/holders.h"

namespace vardelon {

VARIANT newValueVector(JNIEnv* env, jobjectArray values) {
  VARIANT held;
  VariantInit(&held);
  if (values == nullptr) return held;
  const jsize count = env->GetArrayLength(values);
  unique_safearray vector(SafeArrayCreateVector(VT_VARIANT, 0, count));
  if (!vector) return held;
  for (LONG i = 0; i < count; ++i) {
    unique_variant converted(javaToVariant(env, env->GetObjectArrayElement(values, i)));
    if (env->ExceptionCheck()) return held;
    // The vector keeps a copy; `converted` is cleared at the end of the turn.
    SafeArrayPutElement(vector.get(), &i, converted.get());
  }
  V_VT(&held) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&held) = vector.release();
  return held;
}

}  // namespace vardelon
