#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert_test.h"
#include "jni_interposer.h"

namespace vardelon::testing {
namespace {

// A conversion made while a JNI function fails, and the Java exception it
// left pending.
struct FailedResult {
  VARIANT value;
  std::string diagnostics;
  std::string exception;
  int calls;  // of the failing function, the failed one included
};

class JavaToVariantTest : public ConvertTest {
 protected:
  // Converts `value` while the JNI function in `Slot` fails after
  // `succeeding` calls, and takes the Java exception that is left pending.
  template <auto Slot>
  FailedResult toVariantFailing(int succeeding, jobject value) {
    FailedResult failed{};
    {
      const JniFailure<Slot> failure(succeeding);
      const VariantResult result = toVariant(value);
      failed = {result.value, result.diagnostics, "", failure.calls()};
    }
    failed.exception = takeException(env());
    return failed;
  }
};

// The scalar of a VARIANT of one of the six element types, as a number.
double scalarOf(const VARIANT& value) {
  switch (V_VT(&value)) {
    case VT_I1:
      return static_cast<signed char>(V_I1(&value));
    case VT_I2:
      return V_I2(&value);
    case VT_I4:
      return V_I4(&value);
    case VT_R4:
      return V_R4(&value);
    case VT_R8:
      return V_R8(&value);
    case VT_BOOL:
      return V_BOOL(&value);
    default:
      ADD_FAILURE() << "not a scalar: " << V_VT(&value);
      return 0;
  }
}

// Records the name of every class looked up while it lives.
class ClassLookups {
 public:
  ClassLookups() : interposer_([](JNINativeInterface_& table) { table.FindClass = &record; }) {
    names_.clear();
  }

  const std::vector<std::string>& names() const { return names_; }

 private:
  static jclass JNICALL record(JNIEnv* env, const char* name) {
    names_.push_back(name);
    return JniInterposer::original().FindClass(env, name);
  }

  static inline std::vector<std::string> names_;
  JniInterposer interposer_;
};

struct LookupCase {
  int line;
  jobject value;
  std::size_t lookups;
};

TEST_F(JavaToVariantTest, TriesTheClassesInTheirOrderUntilOneMatchesLookingEachUpEveryTime) {
  JNIEnv* env = this->env();
  const std::vector<std::string> order{
      "java/lang/Double",  "[D", "[[D", "java/lang/Float",   "[F", "[[F",
      "java/lang/Byte",    "[B", "[[B", "java/lang/Short",   "[S", "[[S",
      "java/lang/Integer", "[I", "[[I", "java/lang/Boolean", "[Z", "[[Z",
      "java/lang/String"};
  const jobject text = newString(env, u"x");
  const LookupCase cases[] = {
      {__LINE__, newObject(env, "java/lang/Double", "(D)V", 1.0), 1},
      {__LINE__, javaRow<jdouble>(env, {1}), 2},
      {__LINE__, javaMatrix<jdouble>(env, {{1}}), 3},
      {__LINE__, newObject(env, "java/lang/Float", "(F)V", 1.0f), 4},
      {__LINE__, javaRow<jbyte>(env, {1}), 8},
      {__LINE__, newObject(env, "java/lang/Short", "(S)V", 1), 10},
      {__LINE__, javaMatrix<jint>(env, {{1}}), 15},
      {__LINE__, newObject(env, "java/lang/Boolean", "(Z)V", JNI_TRUE), 16},
      {__LINE__, javaMatrix<jboolean>(env, {{true}}), 18},
      {__LINE__, text, 19},
      {__LINE__, text, 19},  // nothing is remembered from the conversion before
      {__LINE__, newObject(env, "java/lang/Long", "(J)V", jlong{1}), 19},
  };
  for (const LookupCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case at line " << c.line);
    std::vector<std::string> names;
    {
      const ClassLookups lookups;
      toVariant(c.value);
      names = lookups.names();
    }
    EXPECT_EQ(names, std::vector<std::string>(order.begin(), order.begin() + c.lookups));
  }
}

TEST_F(JavaToVariantTest, NullBecomesVtNullSilently) {
  const VariantResult result = toVariant(nullptr);
  EXPECT_EQ(V_VT(&result.value), VT_NULL);
  EXPECT_EQ(result.diagnostics, "");
}

struct ScalarCase {
  int line;
  jobject value;
  VARTYPE tag;
  double expected;
};

TEST_F(JavaToVariantTest, WrappersBecomeScalarsOfTheSameValue) {
  JNIEnv* env = this->env();
  const ScalarCase cases[] = {
      {__LINE__, newObject(env, "java/lang/Integer", "(I)V", 42), VT_I4, 42},
      {__LINE__, newObject(env, "java/lang/Integer", "(I)V", INT32_MIN), VT_I4, INT32_MIN},
      {__LINE__, newObject(env, "java/lang/Short", "(S)V", -2), VT_I2, -2},
      {__LINE__, newObject(env, "java/lang/Short", "(S)V", 32767), VT_I2, 32767},
      {__LINE__, newObject(env, "java/lang/Byte", "(B)V", -1), VT_I1, -1},
      {__LINE__, newObject(env, "java/lang/Byte", "(B)V", -128), VT_I1, -128},
      {__LINE__, newObject(env, "java/lang/Float", "(F)V", 0.5f), VT_R4, 0.5},
      {__LINE__, newObject(env, "java/lang/Float", "(F)V", 0.1f), VT_R4, 0.1f},
      {__LINE__, newObject(env, "java/lang/Double", "(D)V", 2.25), VT_R8, 2.25},
      {__LINE__, newObject(env, "java/lang/Double", "(D)V", 0.1), VT_R8, 0.1},
      {__LINE__, newObject(env, "java/lang/Boolean", "(Z)V", JNI_TRUE), VT_BOOL, 1},  // not -1
      {__LINE__, newObject(env, "java/lang/Boolean", "(Z)V", JNI_FALSE), VT_BOOL, 0},
  };
  for (const ScalarCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case at line " << c.line);
    const VariantResult result = toVariant(c.value);
    EXPECT_EQ(result.diagnostics, "");
    ASSERT_EQ(V_VT(&result.value), c.tag);
    EXPECT_EQ(scalarOf(result.value), c.expected);
  }
}

struct TextCase {
  int line;
  std::u16string value;
  std::u16string expected;
};

TEST_F(JavaToVariantTest, StringsBecomeBstrsThatEndAtTheFirstNullCharacter) {
  using namespace std::string_literals;
  const TextCase cases[] = {
      {__LINE__, u"abc", u"abc"},
      {__LINE__, u"", u""},
      {__LINE__, u"a\0b"s, u"a"},
      {__LINE__, u"\U0001F600!", u"\U0001F600!"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case at line " << c.line);
    const VariantResult result = toVariant(newString(env(), c.value));
    EXPECT_EQ(result.diagnostics, "");
    ASSERT_EQ(V_VT(&result.value), VT_BSTR);
    const BSTR text = V_BSTR(&result.value);
    ASSERT_NE(text, nullptr) << "an empty string is an empty BSTR, not a null one";
    EXPECT_EQ(std::u16string(text, SysStringLen(text)), c.expected);
  }
}

struct MatrixCase {
  int line;
  jobject value;
  VARTYPE tag;
  ULONG rows;
  ULONG columns;
  std::vector<double> block;  // VT_BOOL elements as their 16-bit values
};

// Checks the shape of a matrix, its element size and its data block.
void expectMatrix(const MatrixCase& c, const VARIANT& value) {
  ASSERT_EQ(V_VT(&value), c.tag);
  SAFEARRAY* array = V_ARRAY(&value);
  ASSERT_EQ(SafeArrayGetDim(array), 2u);
  const VARTYPE elementType = c.tag & ~VT_ARRAY;
  VARTYPE stored = VT_EMPTY;
  SafeArrayGetVartype(array, &stored);
  EXPECT_EQ(stored, elementType);
  for (UINT dimension : {1u, 2u}) {
    LONG lower = -1;
    SafeArrayGetLBound(array, dimension, &lower);
    EXPECT_EQ(lower, 0) << "dimension " << dimension;
  }
  LONG lastRow = 0;
  LONG lastColumn = 0;
  SafeArrayGetUBound(array, 1, &lastRow);
  SafeArrayGetUBound(array, 2, &lastColumn);
  EXPECT_EQ(lastRow + 1, static_cast<LONG>(c.rows));
  EXPECT_EQ(lastColumn + 1, static_cast<LONG>(c.columns));
  EXPECT_EQ(array->cLocks, 0u) << "left locked";
  std::vector<double> block;
  for (std::size_t i = 0; i < std::size_t{c.rows} * c.columns; ++i) {
    block.push_back(elementOf(elementType, array->pvData, i));
  }
  EXPECT_EQ(block, c.block);
}

TEST_F(JavaToVariantTest, ArraysBecomeMatricesWrittenInRowOrder) {
  JNIEnv* env = this->env();
  const MatrixCase cases[] = {
      {__LINE__, javaRow<jdouble>(env, {1.5, 2.5, 3.5}), 0x2005, 1, 3, {1.5, 2.5, 3.5}},
      {__LINE__, javaRow<jint>(env, {}), 0x2003, 0, 0, {}},
      {__LINE__, javaRow<jfloat>(env, {0.1f, -0.5f}), 0x2004, 1, 2, {0.1f, -0.5}},
      {__LINE__, javaRow<jbyte>(env, {-1, 127, -128}), 0x2010, 1, 3, {-1, 127, -128}},
      {__LINE__, javaRow<jshort>(env, {-32768}), 0x2002, 1, 1, {-32768}},
      {__LINE__, javaRow<jboolean>(env, {true, false, true}), 0x200B, 1, 3, {1, 0, 1}},
      {__LINE__,
       javaMatrix<jdouble>(env, {{1, 2, 3}, {4, 5, 6}}),
       0x2005,
       2,
       3,
       {1, 2, 3, 4, 5, 6}},
      {__LINE__,
       javaMatrix<jdouble>(env, {{1, 2}, {3, 4}, {5, 6}}),
       0x2005,
       3,
       2,
       {1, 2, 3, 4, 5, 6}},
      {__LINE__, javaMatrix<jint>(env, {{1, 2, 3}, {4}}), 0x2003, 2, 3, {1, 2, 3, 4, 0, 0}},
      {__LINE__, javaMatrix<jint>(env, {}), 0x2003, 0, 0, {}},
      {__LINE__, javaMatrix<jint>(env, {{}, {}}), 0x2003, 2, 0, {}},
      {__LINE__,
       javaMatrix<jboolean>(env, {{true, false}, {false, true}}),
       0x200B,
       2,
       2,
       {1, 0, 0, 1}},
      {__LINE__,
       javaMatrix<jboolean>(env, {{true, true, true}, {true}}),
       0x200B,
       2,
       3,
       {1, 1, 1, 1, 0, 0}},
      {__LINE__, javaMatrix<jbyte>(env, {{-128}, {127}}), 0x2010, 2, 1, {-128, 127}},
      {__LINE__, javaMatrix<jshort>(env, {{1, -1}}), 0x2002, 1, 2, {1, -1}},
      {__LINE__, javaMatrix<jfloat>(env, {{0.25f}, {}}), 0x2004, 2, 1, {0.25, 0}},
      // Null rows count as empty ones.
      {__LINE__, newObjectArray(env, "[I", {nullptr, nullptr}), 0x2003, 2, 0, {}},
      {__LINE__,
       newObjectArray(env, "[I", {javaRow<jint>(env, {1, 2}), nullptr, javaRow<jint>(env, {3})}),
       0x2003,
       3,
       2,
       {1, 2, 0, 0, 3, 0}},
      {__LINE__,
       newObjectArray(env, "[Z", {nullptr, javaRow<jboolean>(env, {})}),
       0x200B,
       2,
       0,
       {}},
  };
  for (const MatrixCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case at line " << c.line);
    const VariantResult result = toVariant(c.value);
    EXPECT_EQ(result.diagnostics, "");
    expectMatrix(c, result.value);
  }
}

struct RefusedCase {
  int line;
  jobject value;
  std::string diagnostic;
};

TEST_F(JavaToVariantTest, RefusesOtherValuesWithOneLineAndVtEmpty) {
  JNIEnv* env = this->env();
  const jobject aDouble = newObject(env, "java/lang/Double", "(D)V", 1.0);
  const char* unrecognized = "Unrecognized Java object class\n";
  const RefusedCase cases[] = {
      {__LINE__, newObject(env, "java/lang/Long", "(J)V", jlong{5}), unrecognized},
      {__LINE__, newObject(env, "java/lang/Character", "(C)V", jchar{'x'}), unrecognized},
      {__LINE__, newObject(env, "java/lang/Object", "()V"), unrecognized},
      {__LINE__, env->NewCharArray(2), unrecognized},
      {__LINE__, env->NewLongArray(2), unrecognized},
      {__LINE__, newObjectArray(env, "java/lang/Double", {aDouble}), unrecognized},
      {__LINE__, newObjectArray(env, "java/lang/Double", {}), unrecognized},
      {__LINE__, newObjectArray(env, "java/lang/String", {newString(env, u"a")}), unrecognized},
      {__LINE__, newObjectArray(env, "[[D", {javaMatrix<jdouble>(env, {{1}})}), unrecognized},
      {__LINE__, newObjectArray(env, "[[I", {}), unrecognized},
      // A row longer than row 0 has no room in the matrix.
      {__LINE__, javaMatrix<jint>(env, {{1}, {2, 3}}),
       "Row 1 of a Java matrix has 2 elements, more than the 1 of row 0\n"},
      {__LINE__, javaMatrix<jboolean>(env, {{true}, {true}, {false, true, false}}),
       "Row 2 of a Java matrix has 3 elements, more than the 1 of row 0\n"},
      {__LINE__, javaMatrix<jdouble>(env, {{}, {1.0}}),
       "Row 1 of a Java matrix has 1 elements, more than the 0 of row 0\n"},
      {__LINE__, newObjectArray(env, "[B", {nullptr, javaRow<jbyte>(env, {1})}),
       "Row 1 of a Java matrix has 1 elements, more than the 0 of row 0\n"},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case at line " << c.line);
    const LONG liveArrays = AutomationLiveSafeArrayCount();
    const VariantResult result = toVariant(c.value);
    EXPECT_EQ(V_VT(&result.value), VT_EMPTY);
    EXPECT_EQ(result.diagnostics, c.diagnostic);
    EXPECT_EQ(AutomationLiveSafeArrayCount(), liveArrays) << "a half-built matrix was kept";
  }
}

// 65536 rows of row 0's 65536 doubles need a 32 GiB data block.
TEST_F(JavaToVariantTest, RefusesAMatrixNoDataBlockCanHold) {
  JNIEnv* env = this->env();
  jobjectArray rows = newObjectArray(env, "[D", std::vector<jobject>(65536, nullptr));
  env->SetObjectArrayElement(rows, 0, javaRow<jdouble>(env, std::vector<jdouble>(65536)));
  const VariantResult result = toVariant(rows);
  EXPECT_EQ(V_VT(&result.value), VT_EMPTY);
  EXPECT_EQ(result.diagnostics, "Cannot create an OLE array of 65536 x 65536 elements\n");
}

TEST_F(JavaToVariantTest, NewMatricesHaveTheShapeOfTheJavaArrayAndHoldZeros) {
  JNIEnv* env = this->env();
  const jarray three = javaRow<jint>(env, {1, 2, 3});
  const jarray none = javaRow<jint>(env, {});
  const jobjectArray threeByTwo = javaMatrix<jint>(env, {{1, 2}, {3, 4}, {5, 6}});
  const jobjectArray firstRowNull = newObjectArray(env, "[I", {nullptr, three});
  const jobjectArray noRows = javaMatrix<jint>(env, {});
  struct Made {
    int line;
    VARIANT value;
    MatrixCase expected;
  };
  const Made cases[] = {
      {__LINE__, newRowMatrix(env, three, VT_R8), {0, three, 0x2005, 1, 3, {0, 0, 0}}},
      {__LINE__, newRowMatrix(env, none, VT_I4), {0, none, 0x2003, 0, 0, {}}},
      {__LINE__,
       newMatrix(env, threeByTwo, VT_I2),
       {0, threeByTwo, 0x2002, 3, 2, {0, 0, 0, 0, 0, 0}}},
      {__LINE__, newMatrix(env, firstRowNull, VT_BOOL), {0, firstRowNull, 0x200B, 2, 0, {}}},
      {__LINE__, newMatrix(env, noRows, VT_I1), {0, noRows, 0x2010, 0, 0, {}}},
  };
  for (const Made& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case at line " << c.line);
    expectMatrix(c.expected, keep(c.value));
  }
}

TEST_F(JavaToVariantTest, GivesVtEmptyWhenTheLayerCannotCreateTheMatrix) {
  VARIANT made;
  const std::string diagnostics = captureStderr([&] {
    made = newRowMatrix(env(), javaRow<jint>(env(), {1, 2, 3}), VT_EMPTY);
  });
  EXPECT_EQ(V_VT(&made), VT_EMPTY);
  EXPECT_EQ(VariantClear(&made), S_OK);
  EXPECT_EQ(diagnostics, "Cannot create an OLE array of 1 x 3 elements\n");
}

struct JniFailureCase {
  int line;
  FailedResult result;
  int calls;  // none after the failed one
};

TEST_F(JavaToVariantTest, GivesVtEmptyWithTheJavaErrorPendingWhenTheJvmCannotAllocate) {
  JNIEnv* env = this->env();
  const jobject aDouble = newObject(env, "java/lang/Double", "(D)V", 2.5);
  const jobject aString = newString(env, u"abc");
  const jobject rows = javaMatrix<jint>(env, {{1, 2}, {3, 4}});
  const LONG liveArrays = AutomationLiveSafeArrayCount();
  const JniFailureCase cases[] = {
      {__LINE__, toVariantFailing<&JNINativeInterface_::FindClass>(0, aDouble), 1},
      {__LINE__, toVariantFailing<&JNINativeInterface_::FindClass>(18, aString), 19},
      {__LINE__, toVariantFailing<&JNINativeInterface_::GetMethodID>(0, aDouble), 1},
      {__LINE__, toVariantFailing<&JNINativeInterface_::GetStringChars>(0, aString), 1},
      // Row 0 as newMatrix measures it, then row 1 as it is copied.
      {__LINE__, toVariantFailing<&JNINativeInterface_::GetObjectArrayElement>(0, rows), 1},
      {__LINE__, toVariantFailing<&JNINativeInterface_::GetObjectArrayElement>(2, rows), 3},
  };
  for (const JniFailureCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case at line " << c.line);
    EXPECT_EQ(V_VT(&c.result.value), VT_EMPTY);
    EXPECT_EQ(c.result.diagnostics, "");
    EXPECT_EQ(c.result.exception, "java.lang.OutOfMemoryError");
    EXPECT_EQ(c.result.calls, c.calls);
  }
  EXPECT_EQ(AutomationLiveSafeArrayCount(), liveArrays) << "a half-built matrix was kept";
}

}  // namespace
}  // namespace vardelon::testing
