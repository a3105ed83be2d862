#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "convert_test.h"
#include "jni_interposer.h"

namespace vardelon::testing {
namespace {

// A conversion made while a JNI function fails, and the Java exception it
// left pending.
struct FailedResult {
  jobject value;
  std::string diagnostics;
  std::string exception;
  int calls;  // of the failing function, the failed one included
};

class VariantToJavaTest : public ConvertTest {
 protected:
  // Converts `value` while the JNI function in `Slot` fails after
  // `succeeding` calls, and takes the Java exception that is left pending.
  template <auto Slot>
  FailedResult toJavaFailing(int succeeding, const VARIANT& value) {
    FailedResult failed{};
    {
      const JniFailure<Slot> failure(succeeding);
      const JavaResult result = toJava(value);
      failed = {result.value, result.diagnostics, "", failure.calls()};
    }
    failed.exception = takeException(env());
    return failed;
  }
};

struct ScalarCase {
  int line;
  VARIANT value;
  const char* className;
  std::u16string text;
};

TEST_F(VariantToJavaTest, ScalarsBecomeWrappersAndStringsOfTheSameValue) {
  using namespace std::string_literals;
  const ScalarCase cases[] = {
      {__LINE__, i4VariantOf(7), "java.lang.Integer", u"7"},
      {__LINE__, i4VariantOf(INT32_MIN), "java.lang.Integer", u"-2147483648"},
      {__LINE__, i2VariantOf(static_cast<SHORT>(0xFFFF)), "java.lang.Short", u"-1"},
      {__LINE__, i2VariantOf(32767), "java.lang.Short", u"32767"},
      {__LINE__, i1VariantOf(static_cast<signed char>(0xFF)), "java.lang.Byte", u"-1"},
      {__LINE__, i1VariantOf(-128), "java.lang.Byte", u"-128"},
      {__LINE__, i1VariantOf(127), "java.lang.Byte", u"127"},
      {__LINE__, r4VariantOf(0.1f), "java.lang.Float", u"0.1"},
      {__LINE__, r4VariantOf(std::numeric_limits<float>::lowest()), "java.lang.Float",
       u"-3.4028235E38"},
      {__LINE__, r4VariantOf(std::numeric_limits<float>::denorm_min()), "java.lang.Float",
       u"1.4E-45"},
      {__LINE__, r8VariantOf(2.25), "java.lang.Double", u"2.25"},
      {__LINE__, r8VariantOf(0.1), "java.lang.Double", u"0.1"},
      {__LINE__, r8VariantOf(-1e300), "java.lang.Double", u"-1.0E300"},
      {__LINE__, r8VariantOf(-0.0), "java.lang.Double", u"-0.0"},
      {__LINE__, boolVariantOf(0), "java.lang.Boolean", u"false"},
      {__LINE__, boolVariantOf(VARIANT_TRUE), "java.lang.Boolean", u"true"},
      {__LINE__, boolVariantOf(1), "java.lang.Boolean", u"true"},
      {__LINE__, boolVariantOf(2), "java.lang.Boolean", u"true"},
      {__LINE__, boolVariantOf(0x0100), "java.lang.Boolean", u"true"},  // only the high byte set
      {__LINE__, boolVariantOf(static_cast<VARIANT_BOOL>(0x8000)), "java.lang.Boolean", u"true"},
      {__LINE__, keep(bstrVariantOf(u"abc")), "java.lang.String", u"abc"},
      {__LINE__, keep(bstrVariantOf(u"a\0c"s)), "java.lang.String", u"a\0c"s},
      {__LINE__, keep(bstrVariantOf(u"\U0001F600!")), "java.lang.String", u"\U0001F600!"},
      {__LINE__, keep(bstrVariantOf(u"")), "java.lang.String", u""},
      {__LINE__, variantOf(VT_BSTR), "java.lang.String", u""},  // a null BSTR
  };
  for (const ScalarCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case at line " << c.line);
    const JavaResult result = toJava(c.value);
    EXPECT_EQ(result.diagnostics, "");
    ASSERT_NE(result.value, nullptr);
    EXPECT_EQ(classNameOf(env(), result.value), c.className);
    EXPECT_EQ(textOf(env(), result.value), c.text);
  }
}

TEST_F(VariantToJavaTest, NullGivesNullSilently) {
  const JavaResult result = toJava(variantOf(VT_NULL));
  EXPECT_EQ(result.value, nullptr);
  EXPECT_EQ(result.diagnostics, "");
}

struct RefusedCase {
  int line;
  VARIANT value;
  std::string diagnostic;
};

TEST_F(VariantToJavaTest, RefusesWhatItCannotConvertWithOneLineAndNull) {
  double number = 2.5;
  SAFEARRAY* doubles = safeArray<double>(VT_R8, {{0, 1}, {0, 1}}, {1.0});
  VARIANT doubleByReference = variantOf(VT_BYREF | VT_R8);
  V_R8REF(&doubleByReference) = &number;
  VARIANT arrayByReference = variantOf(VT_BYREF | VT_ARRAY | VT_R8);
  V_ARRAYREF(&arrayByReference) = &doubles;
  const ULONG tooMany = 0x80000000;

  const RefusedCase cases[] = {
      {__LINE__, variantOf(VT_EMPTY), "Unknown OLE variant type (0)\n"},
      {__LINE__, variantOf(VT_UI1), "Unknown OLE variant type (17)\n"},
      {__LINE__, doubleByReference, "Unknown OLE variant type (16389)\n"},
      {__LINE__, variantOf(VT_CY), "Unknown OLE variant type (6)\n"},
      {__LINE__, variantOf(VT_DATE), "Unknown OLE variant type (7)\n"},
      {__LINE__, variantOf(VT_DISPATCH), "Unknown OLE variant type (9)\n"},
      {__LINE__, variantOf(VT_ERROR), "Unknown OLE variant type (10)\n"},
      {__LINE__, variantOf(VT_DECIMAL), "Unknown OLE variant type (14)\n"},
      {__LINE__, variantOf(VT_I8), "Unknown OLE variant type (20)\n"},
      {__LINE__, variantOf(VT_BYREF | VT_VARIANT), "Unknown OLE variant type (16396)\n"},
      {__LINE__,
       arrayVariant(VT_ARRAY | VT_VARIANT, safeArray<char>(VT_VARIANT, {{0, 1}, {0, 1}}, {})),
       "Unknown OLE array type (12)\n"},
      {__LINE__, arrayVariant(VT_ARRAY | VT_BSTR, safeArray<char>(VT_BSTR, {{0, 1}, {0, 1}}, {})),
       "Unknown OLE array type (8)\n"},
      {__LINE__, arrayVariant(VT_ARRAY | VT_UI1, safeArray<BYTE>(VT_UI1, {{0, 1}, {0, 1}}, {7})),
       "Unknown OLE array type (17)\n"},
      {__LINE__, arrayByReference, "Unknown OLE array type (16389)\n"},
      {__LINE__, arrayVariant(VT_ARRAY | VT_R8, safeArray<double>(VT_R8, {{0, 3}}, {1, 2, 3})),
       "Unsupported number of dimensions of OLE array (1)\n"},
      {__LINE__,
       arrayVariant(VT_ARRAY | VT_R8, safeArray<double>(VT_R8, {{0, 2}, {0, 2}, {0, 2}}, {})),
       "Unsupported number of dimensions of OLE array (3)\n"},
      {__LINE__, arrayVariant(VT_ARRAY | VT_R8, nullptr),
       "Unsupported number of dimensions of OLE array (0)\n"},
      {__LINE__,
       arrayVariant(VT_ARRAY | VT_R8,
                    safeArray<signed char>(VT_I1, {{0, 2}, {0, 2}}, {1, 2, 3, 4})),
       "Element size of OLE array (1 bytes) does not match its type (5)\n"},
      {__LINE__, arrayVariant(VT_ARRAY | VT_BOOL, safeArray<LONG>(VT_I4, {{0, 1}, {0, 1}}, {1})),
       "Element size of OLE array (4 bytes) does not match its type (11)\n"},
      {__LINE__, arrayVariant(VT_ARRAY | VT_I1, safeArray<double>(VT_R8, {{0, 1}, {0, 1}}, {1})),
       "Element size of OLE array (8 bytes) does not match its type (16)\n"},
      {__LINE__, arrayVariant(VT_ARRAY | VT_I4, safeArray<LONG>(VT_I4, {{0, tooMany}, {0, 0}}, {})),
       "Unsupported size of OLE array (2147483648 x 0)\n"},
      {__LINE__,
       arrayVariant(VT_ARRAY | VT_I4, safeArray<LONG>(VT_I4, {{0, 0}, {-5, tooMany}}, {})),
       "Unsupported size of OLE array (0 x 2147483648)\n"},
      {__LINE__,
       arrayVariant(VT_ARRAY | VT_BOOL, safeArray<LONG>(VT_BOOL, {{7, 0xFFFFFFFF}, {0, 0}}, {})),
       "Unsupported size of OLE array (4294967295 x 0)\n"},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case at line " << c.line);
    const JavaResult result = toJava(c.value);
    EXPECT_EQ(result.value, nullptr);
    EXPECT_EQ(result.diagnostics, c.diagnostic);
  }
}

// A server's array whose bounds claim more than one data block can hold.
TEST_F(VariantToJavaTest, RefusesCountsWhoseTotalNoDataBlockCanHold) {
  SAFEARRAY* array = safeArray<double>(VT_R8, {{0, 1}, {0, 1}}, {1});
  array->rgsabound[0].cElements = 65536;
  array->rgsabound[1].cElements = 65536;
  const JavaResult result = toJava(arrayVariant(VT_ARRAY | VT_R8, array));
  array->rgsabound[0].cElements = 1;
  array->rgsabound[1].cElements = 1;
  EXPECT_EQ(result.value, nullptr);
  EXPECT_EQ(result.diagnostics, "Unsupported size of OLE array (65536 x 65536)\n");
}

struct MatrixCase {
  int line;
  VARIANT value;
  jobject expected;
};

TEST_F(VariantToJavaTest, MatricesBecomeArraysOfRowsReadInRowOrder) {
  JNIEnv* env = this->env();
  const std::vector<double> oneToSix{1, 2, 3, 4, 5, 6};
  const jobject twoByThree = javaMatrix<jdouble>(env, {{1, 2, 3}, {4, 5, 6}});
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double infinity = std::numeric_limits<double>::infinity();

  const MatrixCase cases[] = {
      {__LINE__, arrayVariant(VT_ARRAY | VT_R8, safeArray(VT_R8, {{0, 2}, {0, 3}}, oneToSix)),
       twoByThree},
      {__LINE__, arrayVariant(VT_ARRAY | VT_R8, safeArray(VT_R8, {{0, 3}, {0, 2}}, oneToSix)),
       javaMatrix<jdouble>(env, {{1, 2}, {3, 4}, {5, 6}})},
      {__LINE__, arrayVariant(VT_ARRAY | VT_R8, safeArray(VT_R8, {{1, 2}, {5, 3}}, oneToSix)),
       twoByThree},
      {__LINE__, arrayVariant(VT_ARRAY | VT_R8, safeArray(VT_R8, {{-1, 2}, {-3, 3}}, oneToSix)),
       twoByThree},
      {__LINE__,
       arrayVariant(VT_ARRAY | VT_I4, safeArray<LONG>(VT_I4, {{INT32_MAX, 2}, {0, 1}}, {7, 8})),
       javaMatrix<jint>(env, {{7}, {8}})},
      {__LINE__,
       arrayVariant(VT_ARRAY | VT_I4, safeArray<LONG>(VT_I4, {{0, 1}, {0, 4}}, {1, 2, 3, 4})),
       javaMatrix<jint>(env, {{1, 2, 3, 4}})},
      {__LINE__,
       arrayVariant(VT_ARRAY | VT_I4, safeArray<LONG>(VT_I4, {{0, 4}, {0, 1}}, {1, 2, 3, 4})),
       javaMatrix<jint>(env, {{1}, {2}, {3}, {4}})},
      {__LINE__, arrayVariant(VT_ARRAY | VT_R8, safeArray<double>(VT_R8, {{0, 0}, {0, 3}}, {})),
       javaMatrix<jdouble>(env, {})},
      {__LINE__, arrayVariant(VT_ARRAY | VT_R8, safeArray<double>(VT_R8, {{0, 2}, {0, 0}}, {})),
       javaMatrix<jdouble>(env, {{}, {}})},
      {__LINE__, arrayVariant(VT_ARRAY | VT_R8, safeArray<double>(VT_R8, {{0, 0}, {0, 0}}, {})),
       javaMatrix<jdouble>(env, {})},
      {__LINE__,
       arrayVariant(VT_ARRAY | VT_R8,
                    safeArray<double>(VT_R8, {{0, 1}, {0, 3}}, {nan, infinity, -0.0})),
       javaMatrix<jdouble>(env, {{nan, infinity, -0.0}})},
      {__LINE__,
       arrayVariant(VT_ARRAY | VT_BOOL,
                    safeArray<VARIANT_BOOL>(VT_BOOL, {{0, 2}, {0, 2}}, {0, -1, 2, 0})),
       javaMatrix<jboolean>(env, {{false, true}, {true, false}})},
      {__LINE__,
       arrayVariant(VT_ARRAY | VT_BOOL,
                    safeArray<VARIANT_BOOL>(VT_BOOL, {{0, 1}, {0, 3}}, {0x0100, 1, 0})),
       javaMatrix<jboolean>(env, {{true, true, false}})},
      {__LINE__,
       arrayVariant(VT_ARRAY | VT_I1,
                    safeArray<signed char>(VT_I1, {{0, 1}, {0, 3}}, {-128, -1, 127})),
       javaMatrix<jbyte>(env, {{-128, -1, 127}})},
      {__LINE__,
       arrayVariant(VT_ARRAY | VT_I2, safeArray<SHORT>(VT_I2, {{0, 2}, {0, 1}}, {-32768, 32767})),
       javaMatrix<jshort>(env, {{-32768}, {32767}})},
      {__LINE__,
       arrayVariant(VT_ARRAY | VT_R4, safeArray<float>(VT_R4, {{0, 1}, {0, 2}}, {0.1f, -0.0f})),
       javaMatrix<jfloat>(env, {{0.1f, -0.0f}})},
  };
  for (const MatrixCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case at line " << c.line);
    const JavaResult result = toJava(c.value);
    EXPECT_EQ(result.diagnostics, "");
    EXPECT_TRUE(sameJavaValue(env, c.expected, result.value));
    EXPECT_EQ(V_ARRAY(&c.value)->cLocks, 0u) << "left locked";
  }
}

struct JniFailureCase {
  int line;
  FailedResult result;
  int calls;  // none after the failed one
};

TEST_F(VariantToJavaTest, GivesNullWithTheJavaErrorPendingWhenTheJvmCannotAllocate) {
  SAFEARRAY* matrix = safeArray<double>(VT_R8, {{0, 2}, {0, 3}}, {1, 2, 3, 4, 5, 6});
  const VARIANT doubles = arrayVariant(VT_ARRAY | VT_R8, matrix);
  const JniFailureCase cases[] = {
      {__LINE__, toJavaFailing<&JNINativeInterface_::FindClass>(0, r8VariantOf(2.5)), 1},
      {__LINE__, toJavaFailing<&JNINativeInterface_::GetMethodID>(0, r8VariantOf(2.5)), 1},
      {__LINE__, toJavaFailing<&JNINativeInterface_::NewObjectV>(0, r8VariantOf(2.5)), 1},
      {__LINE__, toJavaFailing<&JNINativeInterface_::NewString>(0, keep(bstrVariantOf(u"abc"))), 1},
      {__LINE__, toJavaFailing<&JNINativeInterface_::FindClass>(0, doubles), 1},
      {__LINE__, toJavaFailing<&JNINativeInterface_::NewObjectArray>(0, doubles), 1},
      {__LINE__, toJavaFailing<&JNINativeInterface_::NewDoubleArray>(1, doubles), 2},
  };
  for (const JniFailureCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case at line " << c.line);
    EXPECT_EQ(c.result.value, nullptr);
    EXPECT_EQ(c.result.diagnostics, "");
    EXPECT_EQ(c.result.exception, "java.lang.OutOfMemoryError");
    EXPECT_EQ(c.result.calls, c.calls);
  }
  EXPECT_EQ(matrix->cLocks, 0u) << "left locked";
}

// More rows than a Java array can have, with no data: the JVM itself refuses.
TEST_F(VariantToJavaTest, GivesNullWithTheJavaErrorPendingWhenTheOuterArrayIsTooLong) {
  SAFEARRAY* rowsOnly = safeArray<double>(VT_R8, {{0, INT32_MAX}, {0, 0}}, {});
  const JavaResult result = toJava(arrayVariant(VT_ARRAY | VT_R8, rowsOnly));
  EXPECT_EQ(result.value, nullptr);
  EXPECT_EQ(result.diagnostics, "");
  EXPECT_EQ(takeException(env()), "java.lang.OutOfMemoryError");
  EXPECT_EQ(rowsOnly->cLocks, 0u);
}

}  // namespace
}  // namespace vardelon::testing
