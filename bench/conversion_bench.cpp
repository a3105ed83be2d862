// The conversions between automation values and Java objects, and the
// vector of numbers, each against raw calls doing the same copying
// (baselines.h); and boolean matrices, copied one element per JNI call,
// against short matrices of the same shape, whose automation elements are as
// wide but go over a row per call.
#include <string>
#include <vector>

#include "baselines.h"
#include "benchmarks.h"
#include "convert/java_to_variant.h"
#include "convert/variant_to_java.h"
#include "jvm.h"
#include "link/holders.h"
#include "link/text.h"
#include "pair.h"
#include "values.h"
#include "variables/number_vector.h"

namespace vardelon::bench {
namespace {

using vardelon::testing::jniEnv;

constexpr Shape kRealShapes[] = {{1, 1000}, {100, 100}, {1000, 1000}};
constexpr Shape kBooleanShapes[] = {{100, 100}, {1000, 1000}};
constexpr jsize kNumberCount = 1000;

// A side that times `operation(env, value)` on one Java value, which
// `make(env)` creates before the timing.
template <typename Make, typename Operation>
auto onJavaValue(Make make, Operation operation) {
  return [make, operation](benchmark::State& state) {
    JNIEnv* env = jniEnv();
    const LocalFrame setup(env);
    const auto value = make(env);
    measure(state, env, [&] { return operation(env, value); });
  };
}

auto javaMatrix(VARTYPE type, Shape shape) {
  return [type, shape](JNIEnv* env) { return newJavaMatrix(env, type, shape); };
}

// A typical variable name.
jstring javaText(JNIEnv* env) {
  return newJavaText(env, u"ReactorInletTemperature");
}

jintArray javaNumbers(JNIEnv* env) {
  return newJavaNumbers(env, kNumberCount);
}

// What the sides do with a Java value: each releases what it made and tells
// whether it worked.
bool convertToVariant(JNIEnv* env, jobject value) {
  unique_variant converted(javaToVariant(env, value));
  return V_VT(converted.get()) != VT_EMPTY;
}

bool copyToRawSafeArray(JNIEnv* env, jobjectArray matrix) {
  unique_safearray copy(rawSafeArray(env, matrix));
  return static_cast<bool>(copy);
}

bool convertToBstr(JNIEnv* env, jstring text) {
  unique_bstr copy(javaStringToBstr(env, text));
  return static_cast<bool>(copy);
}

bool copyToRawBstr(JNIEnv* env, jstring text) {
  unique_bstr copy(rawBstr(env, text));
  return static_cast<bool>(copy);
}

bool makeNumberVector(JNIEnv* env, jintArray numbers) {
  unique_variant vector(newNumberVector(env, numbers));
  return V_VT(vector.get()) != VT_EMPTY;
}

bool makeRawNumberVector(JNIEnv* env, jintArray numbers) {
  unique_safearray vector(rawNumberVector(env, numbers));
  return static_cast<bool>(vector);
}

auto variantToJavaOf(VARTYPE type, Shape shape) {
  return [type, shape](benchmark::State& state) {
    JNIEnv* env = jniEnv();
    unique_variant matrix(newMatrixVariant(type, shape));
    measure(state, env, [&] { return variantToJava(env, *matrix); });
  };
}

void registerRealMatrices(Shape shape) {
  registerPair("variantToJava/R8/" + shapeName(shape), variantToJavaOf(VT_R8, shape),
               [shape](benchmark::State& state) {
                 JNIEnv* env = jniEnv();
                 const LocalFrame setup(env);
                 const std::vector<double> values = realValues(shape);
                 jclass rowClass = env->FindClass("[D");
                 measure(state, env,
                         [&] { return rawJavaMatrix(env, rowClass, values.data(), shape); });
               });
  registerPair("javaToVariant/R8/" + shapeName(shape),
               onJavaValue(javaMatrix(VT_R8, shape), convertToVariant),
               onJavaValue(javaMatrix(VT_R8, shape), copyToRawSafeArray));
}

void registerBooleanMatrices(Shape shape) {
  registerPair("variantToJava/BOOL-vs-I2/" + shapeName(shape), variantToJavaOf(VT_BOOL, shape),
               variantToJavaOf(VT_I2, shape));
  registerPair("javaToVariant/BOOL-vs-I2/" + shapeName(shape),
               onJavaValue(javaMatrix(VT_BOOL, shape), convertToVariant),
               onJavaValue(javaMatrix(VT_I2, shape), convertToVariant));
}

// A boxed scalar: the library looks its class and constructor up on every
// conversion; the baseline looked them up once.
void registerScalar() {
  registerPair(
      "variantToJava/R8/scalar",
      [](benchmark::State& state) {
        JNIEnv* env = jniEnv();
        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = VT_R8;
        V_R8(&value) = 2.5;
        measure(state, env, [&] { return variantToJava(env, value); });
      },
      [](benchmark::State& state) {
        JNIEnv* env = jniEnv();
        const LocalFrame setup(env);
        jclass wrapper = env->FindClass("java/lang/Double");
        jmethodID constructor = env->GetMethodID(wrapper, "<init>", "(D)V");
        measure(state, env, [&] { return env->NewObject(wrapper, constructor, 2.5); });
      });
}

// Text: the library's copy, and a String recognised by javaToVariant after
// the classes of the six element types have been tried, both against the
// bare copy.
void registerText() {
  registerPair("javaStringToBstr/String", onJavaValue(javaText, convertToBstr),
               onJavaValue(javaText, copyToRawBstr));
  registerPair("javaToVariant/String", onJavaValue(javaText, convertToVariant),
               onJavaValue(javaText, copyToRawBstr));
}

// The vector of numbers that variableValues and setVariableValues send.
void registerNumberVector() {
  registerPair("newNumberVector/" + std::to_string(kNumberCount) + " numbers",
               onJavaValue(javaNumbers, makeNumberVector),
               onJavaValue(javaNumbers, makeRawNumberVector));
}

}  // namespace

void registerConversionBenchmarks() {
  for (const Shape shape : kRealShapes) registerRealMatrices(shape);
  for (const Shape shape : kBooleanShapes) registerBooleanMatrices(shape);
  registerScalar();
  registerText();
  registerNumberVector();
}

}  // namespace vardelon::bench
