// variableValues and uvoVariableValues: the vector of numbers each sends,
// and how each answer fills the Object[], slot i from result element i.
#include <climits>
#include <functional>

#include "variables_test.h"

namespace vardelon::testing {
namespace {

#define VL(method) Java_com_mintova_vardelon_VardelonLink_##method

struct ValuesTwin {
  const char* method;
  std::function<jobjectArray(JNIEnv*, jintArray)> call;
  ServerMember member;
  std::string sentBefore;       // the call's text up to the vector of numbers
  std::size_t numbersArgument;  // its position among the arguments
};

const ValuesTwin kTwins[] = {
    {"variableValues",
     [](JNIEnv* e, jintArray numbers) { return VL(variableValues)(e, nullptr, 4, numbers); },
     ServerMember::GetVariableValues, "GetVariableValues METHOD 0x400 (I4 4, ", 1},
    {"uvoVariableValues",
     [](JNIEnv* e, jintArray numbers) { return VL(uvoVariableValues)(e, nullptr, numbers); },
     ServerMember::GetUVOVariableValues, "GetUVOVariableValues METHOD 0x400 (", 0},
};

class VariableValuesTest : public VariablesTest {
 protected:
  // What one call of `twin` gives, element by element.
  std::vector<std::string> values(const ValuesTwin& twin, jintArray numbers, std::string* written) {
    jobjectArray returned = nullptr;
    *written = captureStderr([&] { returned = twin.call(env(), numbers); });
    if (returned != nullptr) {
      EXPECT_TRUE(env()->IsInstanceOf(returned, env()->FindClass("[Ljava/lang/Object;")));
    }
    return elementTexts(returned);
  }
};

constexpr const char* kOutOfRange = "Invoke error 0x8002000b\n";  // DISP_E_BADINDEX
constexpr const char* kNoArray = "Invoke error 0x80070057\n";     // E_INVALIDARG

struct ValuesCase {
  int line;
  Answer answer;
  std::vector<std::string> returned;
  std::string written;
};

OwnedVariant valuesFrom(LONG lower, const std::vector<OwnedVariant>& values) {
  return arrayVariant(VT_ARRAY | VT_VARIANT, variantVector(lower, values));
}

// For the numbers {3, 1, 2}; built anew for each twin, as the answers hold
// arrays.
std::vector<ValuesCase> valuesCases() {
  const std::string x = R"(java.lang.String "x")";
  const std::vector<std::string> nulls(3, "null");
  const std::string noArrayThrice = std::string(kNoArray) + kNoArray + kNoArray;
  return {
      {__LINE__,
       {S_OK, valuesFrom(0, {realVariant(1.5), textVariant(u"x"), boolVariant(VARIANT_TRUE)})},
       {"java.lang.Double 1.5", x, "java.lang.Boolean true"},
       ""},
      // Fewer values than numbers: the missing one is reported.
      {__LINE__,
       {S_OK, valuesFrom(0, {realVariant(1.5), textVariant(u"x")})},
       {"java.lang.Double 1.5", x, "null"},
       kOutOfRange},
      // More values: the extra one is not read.
      {__LINE__,
       {S_OK, valuesFrom(0, {intVariant(1), intVariant(2), intVariant(3), intVariant(4)})},
       {"java.lang.Integer 1", "java.lang.Integer 2", "java.lang.Integer 3"},
       ""},
      // Slot i is element i: an array starting at 1 misses slot 0.
      {__LINE__,
       {S_OK, valuesFrom(1, {intVariant(1), intVariant(2), intVariant(3)})},
       {"null", "java.lang.Integer 1", "java.lang.Integer 2"},
       kOutOfRange},
      // A value the converter refuses leaves its slot null; the others fill.
      {__LINE__,
       {S_OK, valuesFrom(0, {intVariant(1), typedVariant(VT_DATE), intVariant(3)})},
       {"java.lang.Integer 1", "null", "java.lang.Integer 3"},
       "Unknown OLE variant type (7)\n"},
      {__LINE__,
       {S_OK, valuesFrom(0, {typedVariant(VT_NULL), intVariant(2), typedVariant(VT_EMPTY)})},
       {"null", "java.lang.Integer 2", "null"},
       "Unknown OLE variant type (0)\n"},
      {__LINE__,
       {S_OK, valuesFrom(0, {arrayVariant(VT_ARRAY | VT_R8, realMatrix(2, 1, {1, 2})),
                             intVariant(2), intVariant(3)})},
       {"[[D [[1.0], [2.0]]", "java.lang.Integer 2", "java.lang.Integer 3"},
       ""},
      // The call's HRESULT is not examined: what the result holds counts.
      {__LINE__,
       {E_FAIL, valuesFrom(0, {intVariant(1), intVariant(2), intVariant(3)})},
       {"java.lang.Integer 1", "java.lang.Integer 2", "java.lang.Integer 3"},
       ""},
      // A failed call's empty result, and anything but a one-dimensional
      // array of VARIANTs, holds no array: every read fails.
      {__LINE__, {E_FAIL}, nulls, noArrayThrice},
      {__LINE__, {DISP_E_EXCEPTION}, nulls, noArrayThrice},
      {__LINE__, {S_OK, realVariant(2.5)}, nulls, noArrayThrice},
      {__LINE__,
       {S_OK, arrayVariant(VT_ARRAY | VT_I4, intVector(0, {1, 2, 3}))},
       nulls,
       noArrayThrice},
      {__LINE__,
       {S_OK, arrayVariant(VT_ARRAY | VT_VARIANT, zeroMatrix(VT_VARIANT, 1, 3))},
       nulls,
       noArrayThrice},
      {__LINE__, {S_OK, arrayVariant(VT_ARRAY | VT_VARIANT, nullptr)}, nulls, noArrayThrice},
      // A tag that lies about the array's elements.
      {__LINE__,
       {S_OK, arrayVariant(VT_ARRAY | VT_VARIANT, intVector(0, {1, 2, 3}))},
       nulls,
       noArrayThrice},
      {__LINE__,
       {S_OK, arrayVariant(VT_ARRAY | VT_VARIANT, bstrVector(0, {u"a", u"b", u"c"}))},
       nulls,
       noArrayThrice},
  };
}

TEST_F(VariableValuesTest, EachAnswerFillsTheSlotsAndReportsWhatCannotBeRead) {
  for (const ValuesTwin& twin : kTwins) {
    for (const ValuesCase& row : valuesCases()) {
      SCOPED_TRACE(::testing::Message() << twin.method << ", line " << row.line);
      server.reset();
      server.answer(twin.member, row.answer);

      std::string written;
      EXPECT_EQ(values(twin, newInts({3, 1, 2}), &written), row.returned);

      EXPECT_EQ(written, row.written);
      EXPECT_EQ(callTexts(server), std::vector<std::string>{
                                       twin.sentBefore + "BYREF ARRAY I4 [0:3] {3, 1, 2}) result"});
    }
  }
}

TEST_F(VariableValuesTest, AnEmptyListStillCallsAndGivesAnEmptyArray) {
  for (const ValuesTwin& twin : kTwins) {
    for (const HRESULT answer : {S_OK, E_FAIL}) {
      SCOPED_TRACE(::testing::Message() << twin.method << " answered " << std::hex << answer);
      server.reset();
      server.answer(twin.member, {answer});

      std::string written;
      EXPECT_EQ(values(twin, newInts({}), &written), std::vector<std::string>{});

      EXPECT_EQ(written, "");
      EXPECT_EQ(callTexts(server),
                std::vector<std::string>{twin.sentBefore + "BYREF ARRAY I4 [0:0] {}) result"});
    }
  }
}

TEST_F(VariableValuesTest, TheNumbersAreOnlyRead) {
  // Seen from a replacement function, which can capture nothing.
  static std::vector<jint> modes;
  modes.clear();
  for (const ValuesTwin& twin : kTwins) {
    SCOPED_TRACE(twin.method);
    jintArray numbers = newInts({INT_MIN, -1, 0, INT_MAX});
    {
      JniInterposer watch([](JNINativeInterface_& table) {
        table.ReleaseIntArrayElements = [](JNIEnv* env, jintArray array, jint* elements,
                                           jint mode) {
          modes.push_back(mode);
          JniInterposer::original().ReleaseIntArrayElements(env, array, elements, mode);
        };
      });
      std::string written;
      values(twin, numbers, &written);
    }
    EXPECT_EQ(intsOf(numbers), (std::vector<jint>{INT_MIN, -1, 0, INT_MAX}));
  }
  EXPECT_EQ(modes, (std::vector<jint>{JNI_ABORT, JNI_ABORT}));
  const std::vector<RecordedCall> calls = server.calls();
  ASSERT_EQ(calls.size(), 2u);
  for (const RecordedCall& call : calls) {
    EXPECT_EQ(argumentText(call.arguments.back()),
              "BYREF ARRAY I4 [0:4] {-2147483648, -1, 0, 2147483647}");
  }
}

// The server may replace the vector it was lent, before or as it fails: the
// library frees whatever the vector then holds, and nothing else changes.
TEST_F(VariableValuesTest, AVectorTheServerReplacedIsFreedAsItIsLeft) {
  for (const ValuesTwin& twin : kTwins) {
    for (const HRESULT outcome : {S_OK, E_FAIL}) {
      for (const VectorReplacement& row : vectorReplacements()) {
        SCOPED_TRACE(::testing::Message() << twin.method << " answered " << std::hex << outcome
                                          << ", replaced by " << row.name);
        const std::pair<LONG, LONG> live = liveBeyondStart();
        server.answer(
            twin.member,
            Answer{outcome, valuesFrom(0, {intVariant(1), textVariant(u"x")})}.replaceReferenced(
                twin.numbersArgument, row.value));
        jintArray numbers = newInts({3, 1, 2});

        std::string written;
        EXPECT_EQ(
            values(twin, numbers, &written),
            (std::vector<std::string>{"java.lang.Integer 1", R"(java.lang.String "x")", "null"}));

        EXPECT_EQ(written, kOutOfRange);
        EXPECT_EQ(intsOf(numbers), (std::vector<jint>{3, 1, 2}));
        EXPECT_EQ(
            callTexts(server),
            std::vector<std::string>{twin.sentBefore + "BYREF ARRAY I4 [0:3] {3, 1, 2}) result"});
        server.reset();
        EXPECT_EQ(liveBeyondStart(), live) << "BSTRs or SAFEARRAYs leaked or freed twice";
      }
    }
  }
}

TEST_F(VariableValuesTest, NullNumbersMakeNoCall) {
  for (const ValuesTwin& twin : kTwins) {
    SCOPED_TRACE(twin.method);
    std::string written;
    EXPECT_EQ(values(twin, nullptr, &written), std::vector<std::string>{"null"});
    EXPECT_EQ(written, "");
  }
  EXPECT_TRUE(server.calls().empty());
}

TEST_F(VariableValuesTest, AVectorThatCannotBeCreatedMakesNoCall) {
  for (const ValuesTwin& twin : kTwins) {
    SCOPED_TRACE(twin.method);
    LayerFailure failure(LayerFunction::SafeArrayCreateVector);
    std::string written;
    EXPECT_EQ(values(twin, newInts({1, 2}), &written), std::vector<std::string>{"null"});
    EXPECT_EQ(written, "");
    EXPECT_EQ(failure.calls(), 1);
  }
  EXPECT_TRUE(server.calls().empty());
}

TEST_F(VariableValuesTest, AnElementThatCannotBeReadIsReportedWithItsCode) {
  for (const ValuesTwin& twin : kTwins) {
    SCOPED_TRACE(twin.method);
    server.reset();
    server.answer(twin.member,
                  {S_OK, valuesFrom(0, {intVariant(1), intVariant(2), intVariant(3)})});
    std::string written;
    {
      LayerFailure failure(LayerFunction::SafeArrayGetElement, 1, E_OUTOFMEMORY);
      EXPECT_EQ(values(twin, newInts({3, 1, 2}), &written),
                (std::vector<std::string>{"java.lang.Integer 1", "null", "null"}));
    }
    EXPECT_EQ(written, "Invoke error 0x8007000e\nInvoke error 0x8007000e\n");
  }
}

TEST_F(VariableValuesTest, TheJvmRunningOutOfMemoryGivesNullWithItsExceptionPending) {
  for (const ValuesTwin& twin : kTwins) {
    SCOPED_TRACE(twin.method);
    server.reset();
    server.answer(twin.member,
                  {S_OK, valuesFrom(0, {textVariant(u"a"), textVariant(u"b"), textVariant(u"c")})});
    jintArray numbers = newInts({3, 1, 2});
    {
      JniFailure<&JNINativeInterface_::GetIntArrayElements> failure;
      EXPECT_EQ(twin.call(env(), numbers), nullptr);
    }
    EXPECT_TRUE(takePendingException(env()));
    EXPECT_TRUE(server.calls().empty()) << "no call once the numbers cannot be had";
    {
      JniFailure<&JNINativeInterface_::NewObjectArray> failure;
      EXPECT_EQ(twin.call(env(), numbers), nullptr);
    }
    EXPECT_TRUE(takePendingException(env()));
    {
      JniFailure<&JNINativeInterface_::NewString> failure(1);
      std::string written = captureStderr([&] { EXPECT_EQ(twin.call(env(), numbers), nullptr); });
      EXPECT_EQ(failure.calls(), 2) << "no value is converted after the failed one";
      EXPECT_EQ(written, "");
    }
    EXPECT_TRUE(takePendingException(env()));
    EXPECT_EQ(server.calls().size(), 2u);
  }
}

#undef VL

}  // namespace
}  // namespace vardelon::testing
