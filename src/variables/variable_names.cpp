// variableNames and uvoVariableNames: the names of one instance's variables,
// or of the engine's, as a String[]. Any failure gives null and writes
// nothing; so does a list without names.
#include <cstdint>
#include <limits>
#include <optional>

#include "com_mintova_vardelon_VardelonLink.h"
#include "link/connection.h"
#include "link/holders.h"
#include "link/text.h"
#include "variables/reader_call.h"
#include "variables/result_vector.h"

namespace vardelon {
namespace {

// Element k of `names`, lower bound first, as a Java string in slot
// k - lower of `strings`. False when an element cannot be fetched or the JVM
// runs out of memory.
bool copyNames(JNIEnv* env, SAFEARRAY* names, LONG lower, jobjectArray strings, jsize count) {
  for (jsize slot = 0; slot < count; ++slot) {
    LONG index = lower + slot;
    BSTR fetched = nullptr;
    if (FAILED(SafeArrayGetElement(names, &index, &fetched))) return false;
    unique_bstr copy(fetched);
    jstring name = bstrToJavaString(env, copy.get());
    if (name == nullptr) return false;
    env->SetObjectArrayElement(strings, slot, name);
  }
  return true;
}

jobjectArray readNames(JNIEnv* env, ServerMember member, std::optional<jint> instance) {
  if (!serverConnected) return nullptr;
  unique_variant result;
  // The outcome of the call shows in the result: a failed call leaves it empty.
  callReader(member, instance, nullptr, result.get());
  SAFEARRAY* names = resultVector(*result, VT_BSTR);
  if (names == nullptr) return nullptr;
  LONG lower = 0;
  LONG upper = 0;
  if (FAILED(SafeArrayGetLBound(names, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(names, 1, &upper)) || upper < lower) {
    return nullptr;
  }
  const std::int64_t count = std::int64_t{upper} - lower + 1;
  if (count > std::numeric_limits<jsize>::max()) return nullptr;
  jclass stringClass = env->FindClass("java/lang/String");
  if (stringClass == nullptr) return nullptr;
  jobjectArray strings = env->NewObjectArray(static_cast<jsize>(count), stringClass, nullptr);
  if (strings == nullptr) return nullptr;
  if (!copyNames(env, names, lower, strings, static_cast<jsize>(count))) return nullptr;
  return strings;
}

}  // namespace
}  // namespace vardelon

extern "C" {

JNIEXPORT jobjectArray JNICALL Java_com_mintova_vardelon_VardelonLink_variableNames(JNIEnv* env,
                                                                                    jobject,
                                                                                    jint instance) {
  return vardelon::readNames(env, vardelon::ServerMember::GetVariableNames, instance);
}

JNIEXPORT jobjectArray JNICALL Java_com_mintova_vardelon_VardelonLink_uvoVariableNames(JNIEnv* env,
                                                                                       jobject) {
  return vardelon::readNames(env, vardelon::ServerMember::GetUVOVariableNames, std::nullopt);
}

}  // extern "C"
