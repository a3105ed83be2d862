// VariantChangeType where Wine cannot referee: the cases the differential
// table (tests/windows) leaves out because Wine answers them unlike Windows,
// and what only the layer can show, that coercion leaks nothing.
#include <cmath>
#include <limits>
#include <string>

#include "leak_checked_test.h"
#include "platform/automation.h"
#include "variant_builders.h"

namespace {

using Coercion = vardelon::testing::LeakCheckedTest;
using vardelon::testing::bstrVariantOf;
using vardelon::testing::variantOf;

VARIANT realVariant(double real) {
  VARIANT value = variantOf(VT_R8);
  V_R8(&value) = real;
  return value;
}

// Wine's reading is off by an ulp or two beyond 15 digits or 10^22, and
// overflows at the top of the range; Windows, and the layer, read the
// nearest double, ties to even.
TEST_F(Coercion, TextReadsAsTheNearestDouble) {
  struct Case {
    int line;
    const char16_t* text;
    double expected;
  };
  const Case cases[] = {
      {__LINE__, u"0.7609624449125756", 0.7609624449125756},
      {__LINE__, u"404288093852.35596", 404288093852.35596},
      {__LINE__, u"1.2e-38", 1.2e-38},
      {__LINE__, u"-12345678901234567890", -12345678901234567890.0},
      {__LINE__, u"1.7976931348623157e308", std::numeric_limits<double>::max()},
      {__LINE__, u"1.7976931348623158e308", std::numeric_limits<double>::max()},
      {__LINE__, u"2.2250738585072014e-308", std::numeric_limits<double>::min()},
      {__LINE__, u"4.9e-324", std::numeric_limits<double>::denorm_min()},
      {__LINE__, u"3e-324", std::numeric_limits<double>::denorm_min()},
      {__LINE__, u"2e-324", 0.0},
      {__LINE__, u"9007199254740993", 9007199254740992.0},
      {__LINE__, u"1.00000000000000011102230246251565404236316680908203125", 1.0},
      {__LINE__, u"1.000000000000000111022302462515654042363166809082031251", 1.0000000000000002},
  };
  for (const Case& c : cases) {
    VARIANT source = bstrVariantOf(c.text);
    VARIANT result = variantOf(VT_EMPTY);
    EXPECT_EQ(VariantChangeType(&result, &source, 0, VT_R8), S_OK) << "line " << c.line;
    EXPECT_EQ(V_VT(&result), VT_R8) << "line " << c.line;
    EXPECT_EQ(V_R8(&result), c.expected) << "line " << c.line;
    VariantClear(&source);
  }
}

TEST_F(Coercion, TextPastTheLargestDoubleOverflows) {
  VARIANT source = bstrVariantOf(u"1.7976931348623159e308");
  VARIANT result = variantOf(VT_EMPTY);
  EXPECT_EQ(VariantChangeType(&result, &source, 0, VT_R8), DISP_E_OVERFLOW);
  EXPECT_EQ(V_VT(&result), VT_EMPTY);
  VariantClear(&source);
}

// Wine reports an overflow for text that rounds to the smallest singles or
// to zero.
TEST_F(Coercion, TinyTextRoundsToTheNearestSingle) {
  struct Case {
    int line;
    const char16_t* text;
    float expected;
  };
  const Case cases[] = {
      {__LINE__, u"1.4e-45", std::numeric_limits<float>::denorm_min()},
      {__LINE__, u"-1e-45", -std::numeric_limits<float>::denorm_min()},
      {__LINE__, u"7e-46", 0.0f},
      {__LINE__, u"1e-200", 0.0f},
  };
  for (const Case& c : cases) {
    VARIANT source = bstrVariantOf(c.text);
    VARIANT result = variantOf(VT_EMPTY);
    EXPECT_EQ(VariantChangeType(&result, &source, 0, VT_R4), S_OK) << "line " << c.line;
    EXPECT_EQ(V_VT(&result), VT_R4) << "line " << c.line;
    EXPECT_EQ(result.fltVal, c.expected) << "line " << c.line;
    VariantClear(&source);
  }
}

// Wine lets 64-bit values up to 4294967295 into UI2 by truncation.
TEST_F(Coercion, SixtyFourBitValuesMustFitUi2) {
  struct Case {
    int line;
    VARTYPE type;
    ULONGLONG bits;
    HRESULT expected;
  };
  const Case cases[] = {
      {__LINE__, VT_I8, 65535, S_OK},
      {__LINE__, VT_UI8, 65535, S_OK},
      {__LINE__, VT_I8, 70000, DISP_E_OVERFLOW},
      {__LINE__, VT_UI8, 4294967295, DISP_E_OVERFLOW},
  };
  for (const Case& c : cases) {
    VARIANT source = variantOf(c.type);
    source.ullVal = c.bits;
    VARIANT result = variantOf(VT_EMPTY);
    EXPECT_EQ(VariantChangeType(&result, &source, 0, VT_UI2), c.expected) << "line " << c.line;
    if (c.expected == S_OK) {
      EXPECT_EQ(result.uiVal, c.bits) << "line " << c.line;
    }
  }
}

// Wine turns NaN into integers by an undefined C conversion.
TEST_F(Coercion, NotANumberFitsNoIntegerButIsTrue) {
  const VARIANT nan = realVariant(std::numeric_limits<double>::quiet_NaN());
  for (VARTYPE type : {VT_I1, VT_UI1, VT_I2, VT_I4, VT_UI4, VT_I8, VT_UI8}) {
    VARIANT source = nan;
    VARIANT result = variantOf(VT_I4);
    V_I4(&result) = 7;
    EXPECT_EQ(VariantChangeType(&result, &source, 0, type), DISP_E_OVERFLOW) << "type " << type;
    EXPECT_EQ(V_VT(&result), VT_I4);
    EXPECT_EQ(V_I4(&result), 7);
  }
  VARIANT source = nan;
  VARIANT result = variantOf(VT_EMPTY);
  EXPECT_EQ(VariantChangeType(&result, &source, 0, VT_R4), S_OK);
  EXPECT_TRUE(std::isnan(result.fltVal));
  EXPECT_EQ(VariantChangeType(&result, &source, 0, VT_BOOL), S_OK);
  EXPECT_EQ(V_BOOL(&result), VARIANT_TRUE);
}

TEST_F(Coercion, InPlaceReleasesTheSourceText) {
  VARIANT value = bstrVariantOf(u"42");
  ASSERT_EQ(newBstrs(), 1);
  EXPECT_EQ(VariantChangeType(&value, &value, 0, VT_I4), S_OK);
  EXPECT_EQ(V_VT(&value), VT_I4);
  EXPECT_EQ(V_I4(&value), 42);
  EXPECT_EQ(newBstrs(), 0);
}

TEST_F(Coercion, FailureAllocatesNothingAndKeepsBothSides) {
  VARIANT value = bstrVariantOf(u"abc");
  BSTR text = V_BSTR(&value);
  EXPECT_EQ(VariantChangeType(&value, &value, 0, VT_R8), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(V_VT(&value), VT_BSTR);
  EXPECT_EQ(V_BSTR(&value), text);
  EXPECT_EQ(newBstrs(), 1);
  VariantClear(&value);
}

TEST_F(Coercion, ResultReplacesAndReleasesTheDestination) {
  VARIANT destination = bstrVariantOf(u"old");
  VARIANT source = realVariant(2.5);
  EXPECT_EQ(VariantChangeType(&destination, &source, 0, VT_BSTR), S_OK);
  EXPECT_EQ(std::u16string(V_BSTR(&destination), SysStringLen(V_BSTR(&destination))), u"2.5");
  EXPECT_EQ(newBstrs(), 1);
  VariantClear(&destination);
}

// The layer coerces the scalar types only: currency, dates, decimals and
// objects do not coerce, where Windows would convert them.
TEST_F(Coercion, TypesBeyondTheScalarsDoNotCoerce) {
  for (VARTYPE type : {VT_CY, VT_DATE, VT_DECIMAL, VT_DISPATCH, VT_UNKNOWN, VT_ERROR}) {
    VARIANT source = variantOf(type);
    VARIANT result = variantOf(VT_EMPTY);
    EXPECT_EQ(VariantChangeType(&result, &source, 0, VT_I4), DISP_E_TYPEMISMATCH)
        << "type " << type;
    VARIANT number = variantOf(VT_I4);
    EXPECT_EQ(VariantChangeType(&result, &number, 0, type), DISP_E_TYPEMISMATCH) << "type " << type;
    EXPECT_EQ(V_VT(&result), VT_EMPTY);
  }
}

TEST_F(Coercion, MissingArgumentsAndReferencesAreRefused) {
  VARIANT number = variantOf(VT_I4);
  EXPECT_EQ(VariantChangeType(nullptr, &number, 0, VT_BSTR), E_INVALIDARG);
  EXPECT_EQ(VariantChangeType(&number, nullptr, 0, VT_BSTR), E_INVALIDARG);
  VARIANT reference = variantOf(VT_BYREF | VT_I4);
  VARIANT result = variantOf(VT_EMPTY);
  EXPECT_EQ(VariantChangeType(&result, &reference, 0, VT_BSTR), E_INVALIDARG);
  EXPECT_EQ(V_VT(&result), VT_EMPTY);
}

}  // namespace
