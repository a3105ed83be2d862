// variableValues and uvoVariableValues: several variables, by number, of one
// instance or of the engine. Slot i of the Object[] answers number i.
#include <optional>

#include "com_mintova_vardelon_VardelonLink.h"
#include "convert/variant_to_java.h"
#include "link/arguments.h"
#include "link/diagnostic.h"
#include "link/holders.h"
#include "variables/connection_check.h"
#include "variables/number_vector.h"
#include "variables/reader_call.h"
#include "variables/result_vector.h"

namespace vardelon {
namespace {

// Element `index` of `values`. A result that is not the promised array, a
// failed call's empty result included, holds no array: the read fails as
// SafeArrayGetElement fails for a missing array.
HRESULT fetchValue(SAFEARRAY* values, LONG index, VARIANT* element) {
  if (values == nullptr) return E_INVALIDARG;
  return SafeArrayGetElement(values, &index, element);
}

// Slot i of `objects` gets element i of `values`, whatever the array's own
// bounds; an element that cannot be read is reported and leaves its slot
// null. False when the JVM runs out of memory.
bool convertValues(JNIEnv* env, SAFEARRAY* values, jobjectArray objects, jsize count) {
  for (jsize i = 0; i < count; ++i) {
    unique_variant element;
    HRESULT fetched = fetchValue(values, i, element.get());
    if (FAILED(fetched)) {
      reportDiagnostic("Invoke error 0x%x\n", static_cast<unsigned>(fetched));
      continue;
    }
    jobject object = variantToJava(env, *element);
    if (env->ExceptionCheck()) return false;
    env->SetObjectArrayElement(objects, i, object);
  }
  return true;
}

jobjectArray readValuesByNumber(JNIEnv* env, ServerMember member, std::optional<jint> instance,
                                jintArray numbers) {
  if (!requireConnection()) return nullptr;
  unique_variant numberVector(newNumberVector(env, numbers));
  if (V_VT(numberVector.get()) == VT_EMPTY) return nullptr;
  const VARIANT numbersArgument = byReference(*numberVector);
  unique_variant result;
  // The outcome of the call shows in the result: a failed call leaves it empty.
  callReader(member, instance, &numbersArgument, result.get());
  const jsize count = env->GetArrayLength(numbers);
  jclass objectClass = env->FindClass("java/lang/Object");
  if (objectClass == nullptr) return nullptr;
  jobjectArray objects = env->NewObjectArray(count, objectClass, nullptr);
  if (objects == nullptr) return nullptr;
  if (!convertValues(env, resultVector(*result, VT_VARIANT), objects, count)) return nullptr;
  return objects;
}

}  // namespace
}  // namespace vardelon

extern "C" {

JNIEXPORT jobjectArray JNICALL Java_com_mintova_vardelon_VardelonLink_variableValues(
    JNIEnv* env, jobject, jint instance, jintArray numbers) {
  return vardelon::readValuesByNumber(env, vardelon::ServerMember::GetVariableValues, instance,
                                      numbers);
}

JNIEXPORT jobjectArray JNICALL
Java_com_mintova_vardelon_VardelonLink_uvoVariableValues(JNIEnv* env, jobject, jintArray numbers) {
  return vardelon::readValuesByNumber(env, vardelon::ServerMember::GetUVOVariableValues,
                                      std::nullopt, numbers);
}

}  // extern "C"
