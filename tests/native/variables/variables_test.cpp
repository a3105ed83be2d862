#include "variables_test.h"

namespace vardelon::testing {

std::vector<VectorReplacement> vectorReplacements() {
  return {
      {"numbers", arrayVariant(VT_ARRAY | VT_I4, intVector(0, {7, 8, 9, 10}))},
      {"names", arrayVariant(VT_ARRAY | VT_BSTR, bstrVector(0, {u"a", u"b"}))},
      {"values", arrayVariant(VT_ARRAY | VT_VARIANT,
                              variantVector(0, {textVariant(u"x"), realVariant(1.5)}))},
      {"a matrix", arrayVariant(VT_ARRAY | VT_R8, realMatrix(2, 1, {1, 2}))},
      {"an array tag with no array", arrayVariant(VT_ARRAY | VT_I4, nullptr)},
      {"nothing", {}},
      {"text", textVariant(u"replaced")},
  };
}

jintArray VariablesTest::newInts(std::initializer_list<jint> values) {
  jintArray array = env()->NewIntArray(static_cast<jsize>(values.size()));
  env()->SetIntArrayRegion(array, 0, static_cast<jsize>(values.size()), values.begin());
  return array;
}

std::vector<jint> VariablesTest::intsOf(jintArray array) {
  std::vector<jint> values(static_cast<std::size_t>(env()->GetArrayLength(array)));
  env()->GetIntArrayRegion(array, 0, static_cast<jsize>(values.size()), values.data());
  return values;
}

jobjectArray VariablesTest::newObjects(std::initializer_list<jobject> values) {
  jobjectArray array = env()->NewObjectArray(static_cast<jsize>(values.size()),
                                             env()->FindClass("java/lang/Object"), nullptr);
  jsize index = 0;
  for (jobject value : values) env()->SetObjectArrayElement(array, index++, value);
  return array;
}

jobject VariablesTest::boxed(const char* className, const char* signature, jvalue value) {
  jclass type = env()->FindClass(className);
  const std::string valueOf = std::string(signature) + "L" + className + ";";
  jmethodID method = env()->GetStaticMethodID(type, "valueOf", valueOf.c_str());
  return env()->CallStaticObjectMethodA(type, method, &value);
}

jobject VariablesTest::newDoubles(std::initializer_list<double> values) {
  jdoubleArray array = env()->NewDoubleArray(static_cast<jsize>(values.size()));
  env()->SetDoubleArrayRegion(array, 0, static_cast<jsize>(values.size()), values.begin());
  return array;
}

jobject VariablesTest::newDoubleRows(std::initializer_list<std::initializer_list<double>> rows) {
  jobjectArray array =
      env()->NewObjectArray(static_cast<jsize>(rows.size()), env()->FindClass("[D"), nullptr);
  jsize index = 0;
  for (std::initializer_list<double> row : rows) {
    env()->SetObjectArrayElement(array, index++, newDoubles(row));
  }
  return array;
}

std::vector<std::string> VariablesTest::elementTexts(jobjectArray array) {
  if (array == nullptr) return {"null"};
  std::vector<std::string> texts;
  texts.reserve(static_cast<std::size_t>(env()->GetArrayLength(array)));
  for (jsize index = 0; index < env()->GetArrayLength(array); ++index) {
    texts.push_back(javaText(env(), env()->GetObjectArrayElement(array, index)));
  }
  return texts;
}

}  // namespace vardelon::testing
