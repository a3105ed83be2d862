#include "java_values.h"

#include <cstdarg>

namespace vardelon::testing {

jobject newObject(JNIEnv* env, const char* className, const char* signature, ...) {
  jclass type = env->FindClass(className);
  jmethodID constructor = env->GetMethodID(type, "<init>", signature);
  std::va_list arguments;
  va_start(arguments, signature);
  jobject made = env->NewObjectV(type, constructor, arguments);
  va_end(arguments);
  return made;
}

jstring newString(JNIEnv* env, std::u16string_view text) {
  return env->NewString(reinterpret_cast<const jchar*>(text.data()),
                        static_cast<jsize>(text.size()));
}

jobjectArray newObjectArray(JNIEnv* env, const char* elementClass,
                            const std::vector<jobject>& elements) {
  jobjectArray array = env->NewObjectArray(static_cast<jsize>(elements.size()),
                                           env->FindClass(elementClass), nullptr);
  for (std::size_t i = 0; i < elements.size(); ++i) {
    env->SetObjectArrayElement(array, static_cast<jsize>(i), elements[i]);
  }
  return array;
}

namespace {

jobject callStatic(JNIEnv* env, const char* className, const char* name, const char* signature,
                   jobject argument) {
  jclass type = env->FindClass(className);
  return env->CallStaticObjectMethod(type, env->GetStaticMethodID(type, name, signature), argument);
}

std::string utf8Of(JNIEnv* env, jstring text) {
  const char* chars = env->GetStringUTFChars(text, nullptr);
  std::string copy(chars);
  env->ReleaseStringUTFChars(text, chars);
  return copy;
}

bool isObjectArray(JNIEnv* env, jobject value) {
  return env->IsInstanceOf(value, env->FindClass("[Ljava/lang/Object;"));
}

}  // namespace

std::string classNameOf(JNIEnv* env, jobject value) {
  jclass type = env->GetObjectClass(value);
  jmethodID getName =
      env->GetMethodID(env->FindClass("java/lang/Class"), "getName", "()Ljava/lang/String;");
  return utf8Of(env, static_cast<jstring>(env->CallObjectMethod(type, getName)));
}

std::u16string textOf(JNIEnv* env, jobject value) {
  auto text = static_cast<jstring>(callStatic(env, "java/lang/String", "valueOf",
                                              "(Ljava/lang/Object;)Ljava/lang/String;", value));
  std::u16string units(env->GetStringLength(text), u'\0');
  env->GetStringRegion(text, 0, static_cast<jsize>(units.size()),
                       reinterpret_cast<jchar*>(units.data()));
  return units;
}

std::string describe(JNIEnv* env, jobject value) {
  if (value == nullptr) return "null";
  jobject text = isObjectArray(env, value)
                     ? callStatic(env, "java/util/Arrays", "deepToString",
                                  "([Ljava/lang/Object;)Ljava/lang/String;", value)
                     : callStatic(env, "java/lang/String", "valueOf",
                                  "(Ljava/lang/Object;)Ljava/lang/String;", value);
  return classNameOf(env, value) + " " + utf8Of(env, static_cast<jstring>(text));
}

::testing::AssertionResult sameJavaValue(JNIEnv* env, jobject expected, jobject actual) {
  jclass objects = env->FindClass("java/util/Objects");
  jmethodID deepEquals =
      env->GetStaticMethodID(objects, "deepEquals", "(Ljava/lang/Object;Ljava/lang/Object;)Z");
  const bool equal =
      env->CallStaticBooleanMethod(objects, deepEquals, expected, actual) &&
      (expected == nullptr || classNameOf(env, expected) == classNameOf(env, actual));
  if (equal) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "expected " << describe(env, expected) << ", got " << describe(env, actual);
}

std::string takeException(JNIEnv* env) {
  jthrowable pending = env->ExceptionOccurred();
  if (pending == nullptr) return "";
  env->ExceptionClear();
  return classNameOf(env, pending);
}

}  // namespace vardelon::testing
