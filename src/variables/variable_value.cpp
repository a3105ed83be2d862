// variableValue and uvoVariableValue: one variable, by name, of one instance
// or of the engine, as whatever Java object its value converts to.
#include <optional>

#include "com_mintova_vardelon_VardelonLink.h"
#include "convert/variant_to_java.h"
#include "link/arguments.h"
#include "link/diagnostic.h"
#include "link/holders.h"
#include "link/text.h"
#include "variables/connection_check.h"
#include "variables/reader_call.h"

namespace vardelon {
namespace {

jobject readValueByName(JNIEnv* env, ServerMember member, std::optional<jint> instance,
                        jstring name) {
  if (!requireConnection()) return nullptr;
  unique_bstr text(javaStringToBstr(env, name));
  if (!text) return nullptr;
  const VARIANT nameArgument = textArgument(text.get());
  unique_variant result;
  HRESULT called = callReader(member, instance, &nameArgument, result.get());
  if (FAILED(called)) reportDiagnostic("Invoke error 0x%x\n", static_cast<unsigned>(called));
  // Converted whatever the outcome: the converter reports an empty result.
  return variantToJava(env, *result);
}

}  // namespace
}  // namespace vardelon

extern "C" {

JNIEXPORT jobject JNICALL Java_com_mintova_vardelon_VardelonLink_variableValue(JNIEnv* env, jobject,
                                                                               jint instance,
                                                                               jstring name) {
  return vardelon::readValueByName(env, vardelon::ServerMember::GetVariableValueByName, instance,
                                   name);
}

JNIEXPORT jobject JNICALL Java_com_mintova_vardelon_VardelonLink_uvoVariableValue(JNIEnv* env,
                                                                                  jobject,
                                                                                  jstring name) {
  return vardelon::readValueByName(env, vardelon::ServerMember::GetUVOVariableValueByName,
                                   std::nullopt, name);
}

}  // extern "C"
