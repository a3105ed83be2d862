// setVariableValue, setVariableValues and setVariableChangeNotification: data
// from Java to one instance's variables. No result is asked for.
#include "com_mintova_vardelon_VardelonLink.h"
#include "convert/java_to_variant.h"
#include "link/arguments.h"
#include "link/diagnostic.h"
#include "link/holders.h"
#include "link/invoke.h"
#include "link/text.h"
#include "variables/connection_check.h"
#include "variables/number_vector.h"
#include "variables/value_vector.h"

using namespace vardelon;

extern "C" {

// A refused call goes unreported here; the value travels by value, VT_EMPTY
// when its class is not recognised.
JNIEXPORT void JNICALL Java_com_mintova_vardelon_VardelonLink_setVariableValue(JNIEnv* env, jobject,
                                                                               jint instance,
                                                                               jstring name,
                                                                               jobject value) {
  if (!requireConnection()) return;
  unique_bstr text(javaStringToBstr(env, name));
  if (!text) return;
  unique_variant converted(javaToVariant(env, value));
  if (env->ExceptionCheck()) return;
  invokeMember(ServerMember::SetVariableValueByName,
               {integerArgument(instance), textArgument(text.get()), *converted}, nullptr);
}

// The two vectors keep the lengths of their own Java arrays; the numbers are
// complete, and the Java ints given back, before the first value converts.
JNIEXPORT void JNICALL Java_com_mintova_vardelon_VardelonLink_setVariableValues(
    JNIEnv* env, jobject, jint instance, jintArray numbers, jobjectArray values) {
  if (!requireConnection()) return;
  unique_variant numberVector(newNumberVector(env, numbers));
  if (V_VT(numberVector.get()) == VT_EMPTY) return;
  unique_variant valueVector(newValueVector(env, values));
  if (V_VT(valueVector.get()) == VT_EMPTY) return;
  HRESULT called = invokeMember(
      ServerMember::SetVariableValues,
      {integerArgument(instance), byReference(*numberVector), byReference(*valueVector)}, nullptr);
  if (FAILED(called)) reportDiagnostic("Invoke error 0x%x\n", static_cast<unsigned>(called));
}

JNIEXPORT void JNICALL Java_com_mintova_vardelon_VardelonLink_setVariableChangeNotification(
    JNIEnv* env, jobject, jint instance, jstring name) {
  if (!requireConnection()) return;
  unique_bstr text(javaStringToBstr(env, name));
  if (!text) return;
  HRESULT called = invokeMember(ServerMember::SetVarChangeNotification,
                                {integerArgument(instance), textArgument(text.get())}, nullptr);
  if (FAILED(called)) reportDiagnostic("Invoke error 0x%x\n", static_cast<unsigned>(called));
}

}  // extern "C"
