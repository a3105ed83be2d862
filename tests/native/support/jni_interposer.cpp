#include "jni_interposer.h"

#include <jvmti.h>

#include <cstdlib>

#include "jvm.h"

namespace vardelon::testing {
namespace {

jvmtiEnv* jvmti() {
  static jvmtiEnv* environment = [] {
    JavaVM* vm = nullptr;
    jvmtiEnv* created = nullptr;
    if (jniEnv()->GetJavaVM(&vm) != JNI_OK ||
        vm->GetEnv(reinterpret_cast<void**>(&created), JVMTI_VERSION_1_2) != JNI_OK) {
      std::abort();
    }
    return created;
  }();
  return environment;
}

JNINativeInterface_ previousTable;

}  // namespace

JniInterposer::JniInterposer(const std::function<void(JNINativeInterface_& table)>& edit) {
  JNINativeInterface_* current = nullptr;
  if (jvmti()->GetJNIFunctionTable(&current) != JVMTI_ERROR_NONE) std::abort();
  previousTable = *current;
  jvmti()->Deallocate(reinterpret_cast<unsigned char*>(current));
  JNINativeInterface_ edited = previousTable;
  edit(edited);
  if (jvmti()->SetJNIFunctionTable(&edited) != JVMTI_ERROR_NONE) std::abort();
}

JniInterposer::~JniInterposer() {
  jvmti()->SetJNIFunctionTable(&previousTable);
}

const JNINativeInterface_& JniInterposer::original() {
  return previousTable;
}

void throwOutOfMemory(JNIEnv* env) {
  const JNINativeInterface_& jni = JniInterposer::original();
  jclass outOfMemory = jni.FindClass(env, "java/lang/OutOfMemoryError");
  jni.ThrowNew(env, outOfMemory, "interposed JNI failure");
}

bool takePendingException(JNIEnv* env) {
  const bool pending = env->ExceptionCheck();
  env->ExceptionClear();
  return pending;
}

}  // namespace vardelon::testing
