// What the variable suites share: a connected scripted server, and Java
// values made and read back in one line.
#pragma once

#include <jni.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "answers.h"
#include "described.h"
#include "jni_interposer.h"
#include "layer_failure.h"
#include "server_test.h"

namespace vardelon::testing {

// What a server may leave in a vector the library lent it by reference:
// another array of the same or another type, an array tag with no array,
// nothing, or text. Built anew for each use, as the values hold arrays.
struct VectorReplacement {
  const char* name;
  OwnedVariant value;
};
std::vector<VectorReplacement> vectorReplacements();

class VariablesTest : public ServerTest {
 public:
  // Public so that tables of cases can make their Java values.
  jintArray newInts(std::initializer_list<jint> values);
  std::vector<jint> intsOf(jintArray array);
  jobjectArray newObjects(std::initializer_list<jobject> values);

  // Boxed values through their valueOf, as Java code would make them.
  jobject boxed(const char* className, const char* signature, jvalue value);
  jobject newDouble(double value) { return boxed("java/lang/Double", "(D)", jvalue{.d = value}); }
  jobject newInteger(jint value) { return boxed("java/lang/Integer", "(I)", jvalue{.i = value}); }
  jobject newBoolean(bool value) {
    return boxed("java/lang/Boolean", "(Z)", jvalue{.z = static_cast<jboolean>(value)});
  }
  jobject newLong(jlong value) { return boxed("java/lang/Long", "(J)", jvalue{.j = value}); }
  jobject newString(std::u16string_view text) { return newJavaString(env(), text); }
  jobject newDoubles(std::initializer_list<double> values);
  jobject newDoubleRows(std::initializer_list<std::initializer_list<double>> rows);

  // Each element as javaText shows it; {"null"} for no array at all.
  std::vector<std::string> elementTexts(jobjectArray array);

  // BSTRs and SAFEARRAYs alive beyond those the test found, to check that
  // one row of a table leaves none behind and frees none twice.
  std::pair<LONG, LONG> liveBeyondStart() const { return {newBstrs(), newArrays()}; }

 protected:
  void SetUp() override {
    ServerTest::SetUp();
    ASSERT_TRUE(connect());
  }
};

}  // namespace vardelon::testing
