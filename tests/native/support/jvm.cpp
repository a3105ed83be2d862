#include "jvm.h"

#include <cstdlib>

namespace vardelon::testing {

JNIEnv* jniEnv() {
  static JavaVM* vm = [] {
    JavaVMInitArgs args{};
    args.version = JNI_VERSION_1_8;
    args.nOptions = 0;
    args.ignoreUnrecognized = JNI_FALSE;
    JavaVM* created = nullptr;
    JNIEnv* env = nullptr;
    if (JNI_CreateJavaVM(&created, reinterpret_cast<void**>(&env), &args) != JNI_OK) std::abort();
    return created;
  }();
  JNIEnv* env = nullptr;
  if (vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_8) == JNI_EDETACHED) {
    vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr);
  }
  return env;
}

}  // namespace vardelon::testing
