// Java values made and inspected through JNI, for the conversion suites.
#pragma once

#include <gtest/gtest.h>
#include <jni.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/automation.h"

namespace vardelon::testing {

// A new object of `className` made by the constructor of `signature`.
jobject newObject(JNIEnv* env, const char* className, const char* signature, ...);

jstring newString(JNIEnv* env, std::u16string_view text);

// A new array of `elementClass` holding `elements` (null ones included).
jobjectArray newObjectArray(JNIEnv* env, const char* elementClass,
                            const std::vector<jobject>& elements);

// What the suites know of each primitive type, to build its arrays.
template <typename Element>
struct JavaPrimitive;

#define VARDELON_JAVA_PRIMITIVE(Element, Name, Descriptor, Tag)        \
  template <>                                                          \
  struct JavaPrimitive<Element> {                                      \
    static constexpr auto newArray = &JNIEnv::New##Name##Array;        \
    static constexpr auto setRegion = &JNIEnv::Set##Name##ArrayRegion; \
    static constexpr const char* rowClass = Descriptor;                \
    static constexpr VARTYPE tag = Tag;                                \
  };
VARDELON_JAVA_PRIMITIVE(jdouble, Double, "[D", VT_R8)
VARDELON_JAVA_PRIMITIVE(jfloat, Float, "[F", VT_R4)
VARDELON_JAVA_PRIMITIVE(jbyte, Byte, "[B", VT_I1)
VARDELON_JAVA_PRIMITIVE(jshort, Short, "[S", VT_I2)
VARDELON_JAVA_PRIMITIVE(jint, Int, "[I", VT_I4)
VARDELON_JAVA_PRIMITIVE(jboolean, Boolean, "[Z", VT_BOOL)
#undef VARDELON_JAVA_PRIMITIVE

template <typename Element>
jarray javaRow(JNIEnv* env, const std::vector<Element>& elements) {
  using Primitive = JavaPrimitive<Element>;
  const auto length = static_cast<jsize>(elements.size());
  auto row = (env->*Primitive::newArray)(length);
  (env->*Primitive::setRegion)(row, 0, length, elements.data());
  return row;
}

template <typename Element>
jobjectArray javaMatrix(JNIEnv* env, const std::vector<std::vector<Element>>& rows) {
  std::vector<jobject> made;
  for (const std::vector<Element>& row : rows) made.push_back(javaRow(env, row));
  return newObjectArray(env, JavaPrimitive<Element>::rowClass, made);
}

// The class's name as Java prints it: "java.lang.Integer", "[[D".
std::string classNameOf(JNIEnv* env, jobject value);

// The text of a String, or of toString() for any other object, whole.
std::u16string textOf(JNIEnv* env, jobject value);

// The class and the contents, arrays of arrays included, for messages.
std::string describe(JNIEnv* env, jobject value);

// Whether `actual` has the class of `expected` and deeply equal contents.
::testing::AssertionResult sameJavaValue(JNIEnv* env, jobject expected, jobject actual);

// The class name of the pending Java exception, which is cleared; "" when
// none is pending.
std::string takeException(JNIEnv* env);

}  // namespace vardelon::testing
