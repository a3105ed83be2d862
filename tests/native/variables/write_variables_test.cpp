// setVariableValue, setVariableValues and setVariableChangeNotification: the
// call each makes, every argument as the server receives it, and the lines
// written.
#include <climits>
#include <functional>
#include <utility>

#include "variables_test.h"

namespace vardelon::testing {
namespace {

#define VL(method) Java_com_mintova_vardelon_VardelonLink_##method

using WritesTest = VariablesTest;

// A Java value made inside the test, and how it reaches the server.
struct ValueCase {
  int line;
  std::function<jobject(WritesTest&)> make;
  std::string sent;
  std::string written;
};

const ValueCase kValueCases[] = {
    {__LINE__, [](WritesTest& t) { return t.newDouble(2.5); }, "R8 2.5", ""},
    {__LINE__, [](WritesTest& t) { return t.newInteger(-7); }, "I4 -7", ""},
    {__LINE__, [](WritesTest& t) { return t.newBoolean(true); }, "BOOL 1", ""},
    {__LINE__, [](WritesTest& t) { return t.newString(u"Kessel"); }, R"(BSTR "Kessel")", ""},
    {__LINE__,
     [](WritesTest& t) {
       return t.newDoubles({1, 2, 3});
     },
     "ARRAY R8 [0:1][0:3] {1, 2, 3}", ""},
    {__LINE__,
     [](WritesTest& t) {
       return t.newDoubleRows({{1, 2}, {3, 4}});
     },
     "ARRAY R8 [0:2][0:2] {1, 2, 3, 4}", ""},
    {__LINE__, [](WritesTest&) { return jobject{}; }, "NULL", ""},
    {__LINE__, [](WritesTest& t) { return t.newLong(5); }, "EMPTY",
     "Unrecognized Java object class\n"},
};

// ---- setVariableValue

class SetVariableValueTest : public WritesTest {
 protected:
  std::string setValue(jstring name, jobject value) {
    return captureStderr([&] { VL(setVariableValue)(env(), nullptr, 5, name, value); });
  }
};

TEST_F(SetVariableValueTest, TheValueGoesByValueAfterInstanceAndName) {
  for (const ValueCase& row : kValueCases) {
    SCOPED_TRACE(::testing::Message() << "line " << row.line);
    server.reset();

    EXPECT_EQ(setValue(newJavaString(env(), u"Druck"), row.make(*this)), row.written);

    EXPECT_EQ(
        callTexts(server),
        std::vector<std::string>{R"(SetVariableValueByName METHOD 0x400 (I4 5, BSTR "Druck", )" +
                                 row.sent + ") no result"});
  }
}

TEST_F(SetVariableValueTest, ARefusedCallWritesNothing) {
  for (const HRESULT answer : {E_FAIL, DISP_E_EXCEPTION, DISP_E_TYPEMISMATCH}) {
    SCOPED_TRACE(::testing::Message() << std::hex << answer);
    server.reset();
    server.answer(ServerMember::SetVariableValueByName, {answer});

    EXPECT_EQ(setValue(newJavaString(env(), u"Druck"), newDouble(1)), "");

    EXPECT_EQ(server.calls().size(), 1u);
  }
}

TEST_F(SetVariableValueTest, ANullNameMakesNoCallAndConvertsNothing) {
  EXPECT_EQ(setValue(nullptr, newLong(5)), "");
  EXPECT_TRUE(server.calls().empty());
}

TEST_F(SetVariableValueTest, TextThatTheJvmCannotHandOverMakesNoCall) {
  for (const int succeeding : {0, 1}) {  // the name, then the String value
    SCOPED_TRACE(succeeding == 0 ? "name" : "value");
    jstring name = newJavaString(env(), u"Druck");
    jobject value = newString(u"Kessel");
    {
      JniFailure<&JNINativeInterface_::GetStringChars> failure(succeeding);
      setValue(name, value);
      EXPECT_EQ(failure.calls(), succeeding + 1);
    }
    EXPECT_TRUE(takePendingException(env()));
  }
  EXPECT_TRUE(server.calls().empty());
}

// ---- setVariableValues

class SetVariableValuesTest : public WritesTest {
 protected:
  std::string setValues(jintArray numbers, jobjectArray values) {
    return captureStderr([&] { VL(setVariableValues)(env(), nullptr, 2, numbers, values); });
  }

  static std::string sent(const std::string& numbers, const std::string& values) {
    return "SetVariableValues METHOD 0x400 (I4 2, BYREF " + numbers + ", BYREF " + values +
           ") no result";
  }
};

TEST_F(SetVariableValuesTest, EachValueGoesIntoTheVectorOfValues) {
  for (const ValueCase& row : kValueCases) {
    SCOPED_TRACE(::testing::Message() << "line " << row.line);
    server.reset();

    EXPECT_EQ(setValues(newInts({7, 8}), newObjects({newDouble(0.5), row.make(*this)})),
              row.written);

    EXPECT_EQ(callTexts(server),
              std::vector<std::string>{
                  sent("ARRAY I4 [0:2] {7, 8}", "ARRAY VARIANT [0:2] {R8 0.5, " + row.sent + "}")});
  }
}

TEST_F(SetVariableValuesTest, EachVectorKeepsTheLengthOfItsJavaArray) {
  const struct {
    int line;
    std::function<jintArray(WritesTest&)> numbers;
    std::function<jobjectArray(WritesTest&)> values;
    std::string sent;
  } cases[] = {
      {__LINE__, [](WritesTest& t) { return t.newInts({}); },
       [](WritesTest& t) { return t.newObjects({}); },
       sent("ARRAY I4 [0:0] {}", "ARRAY VARIANT [0:0] {}")},
      {__LINE__,
       [](WritesTest& t) {
         return t.newInts({1, 2, 3});
       },
       [](WritesTest& t) {
         return t.newObjects({t.newDouble(1), t.newDouble(2)});
       },
       sent("ARRAY I4 [0:3] {1, 2, 3}", "ARRAY VARIANT [0:2] {R8 1, R8 2}")},
      {__LINE__, [](WritesTest& t) { return t.newInts({INT_MIN}); },
       [](WritesTest& t) {
         return t.newObjects({t.newInteger(1), t.newInteger(2)});
       },
       sent("ARRAY I4 [0:1] {-2147483648}", "ARRAY VARIANT [0:2] {I4 1, I4 2}")},
      {__LINE__, [](WritesTest& t) { return t.newInts({}); },
       [](WritesTest& t) { return t.newObjects({jobject{}}); },
       sent("ARRAY I4 [0:0] {}", "ARRAY VARIANT [0:1] {NULL}")},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(::testing::Message() << "line " << row.line);
    server.reset();

    EXPECT_EQ(setValues(row.numbers(*this), row.values(*this)), "");

    EXPECT_EQ(callTexts(server), std::vector<std::string>{row.sent});
  }
}

TEST_F(SetVariableValuesTest, OnlyTheUnrecognisedElementIsLost) {
  EXPECT_EQ(
      setValues(newInts({1, 2, 3}), newObjects({newDouble(1), newLong(2), newDoubleRows({{3}})})),
      "Unrecognized Java object class\n");

  EXPECT_EQ(callTexts(server), std::vector<std::string>{sent("ARRAY I4 [0:3] {1, 2, 3}",
                                                             "ARRAY VARIANT [0:3] {R8 1, EMPTY, "
                                                             "ARRAY R8 [0:1][0:1] {3}}")});
}

TEST_F(SetVariableValuesTest, ARefusedCallIsReportedOnce) {
  for (const HRESULT answer : {E_FAIL, DISP_E_EXCEPTION}) {
    SCOPED_TRACE(::testing::Message() << std::hex << answer);
    server.reset();
    server.answer(ServerMember::SetVariableValues, {answer});
    char expected[64];
    std::snprintf(expected, sizeof expected, "Invoke error 0x%x\n", static_cast<unsigned>(answer));

    EXPECT_EQ(setValues(newInts({1}), newObjects({newDouble(1)})), expected);

    EXPECT_EQ(server.calls().size(), 1u);
  }
}

// The numbers are complete, and the Java ints given back unchanged, before
// the first value is converted.
TEST_F(SetVariableValuesTest, TheNumbersAreOnlyReadAndGivenBackFirst) {
  // Seen from replacement functions, which can capture nothing.
  static std::vector<std::string> seen;
  seen.clear();
  jintArray numbers = newInts({4, 5});
  {
    JniInterposer watch([](JNINativeInterface_& table) {
      table.ReleaseIntArrayElements = [](JNIEnv* env, jintArray array, jint* elements, jint mode) {
        seen.push_back(mode == JNI_ABORT ? "ReleaseIntArrayElements JNI_ABORT"
                                         : "ReleaseIntArrayElements " + std::to_string(mode));
        JniInterposer::original().ReleaseIntArrayElements(env, array, elements, mode);
      };
      table.GetStringChars = [](JNIEnv* env, jstring text, jboolean* copied) {
        seen.push_back("GetStringChars");
        return JniInterposer::original().GetStringChars(env, text, copied);
      };
    });
    setValues(numbers, newObjects({newString(u"a")}));
  }

  EXPECT_EQ(seen,
            (std::vector<std::string>{"ReleaseIntArrayElements JNI_ABORT", "GetStringChars"}));
  EXPECT_EQ(intsOf(numbers), (std::vector<jint>{4, 5}));
}

// The server may replace either vector it was lent, or both, before or as it
// fails: the library frees whatever each then holds, and nothing else changes.
TEST_F(SetVariableValuesTest, VectorsTheServerReplacedAreFreedAsTheyAreLeft) {
  const struct {
    HRESULT answer;
    std::string written;
  } outcomes[] = {{S_OK, "Unrecognized Java object class\n"},
                  {E_FAIL, "Unrecognized Java object class\nInvoke error 0x80004005\n"}};
  const struct {
    const char* name;
    std::vector<std::size_t> arguments;
  } vectors[] = {{"numbers", {1}}, {"values", {2}}, {"both", {1, 2}}};
  for (const auto& outcome : outcomes) {
    for (const auto& vector : vectors) {
      for (const VectorReplacement& row : vectorReplacements()) {
        SCOPED_TRACE(::testing::Message() << "answered " << std::hex << outcome.answer << ", "
                                          << vector.name << " replaced by " << row.name);
        const std::pair<LONG, LONG> live = liveBeyondStart();
        Answer answer{outcome.answer};
        for (const std::size_t argument : vector.arguments) {
          answer.replaceReferenced(argument, row.value);
        }
        server.answer(ServerMember::SetVariableValues, std::move(answer));
        jintArray numbers = newInts({4, 5});
        jobjectArray values = newObjects({newString(u"a"), newLong(6)});

        EXPECT_EQ(setValues(numbers, values), outcome.written);

        EXPECT_EQ(intsOf(numbers), (std::vector<jint>{4, 5}));
        EXPECT_EQ(elementTexts(values),
                  (std::vector<std::string>{R"(java.lang.String "a")", "java.lang.Long 6"}));
        EXPECT_EQ(callTexts(server),
                  std::vector<std::string>{
                      sent("ARRAY I4 [0:2] {4, 5}", R"(ARRAY VARIANT [0:2] {BSTR "a", EMPTY})")});
        server.reset();
        EXPECT_EQ(liveBeyondStart(), live) << "BSTRs or SAFEARRAYs leaked or freed twice";
      }
    }
  }
}

TEST_F(SetVariableValuesTest, ANullListMakesNoCallAndConvertsNothing) {
  EXPECT_EQ(setValues(nullptr, newObjects({newLong(1)})), "");
  EXPECT_EQ(setValues(newInts({1}), nullptr), "");
  EXPECT_TRUE(server.calls().empty());
}

TEST_F(SetVariableValuesTest, AVectorThatCannotBeCreatedMakesNoCall) {
  for (const int succeeding : {0, 1}) {  // the numbers, then the values
    SCOPED_TRACE(succeeding == 0 ? "numbers" : "values");
    LayerFailure failure(LayerFunction::SafeArrayCreateVector, succeeding);

    EXPECT_EQ(setValues(newInts({1, 2}), newObjects({newDouble(1), newDouble(2)})), "");

    EXPECT_EQ(failure.calls(), succeeding + 1);
  }
  EXPECT_TRUE(server.calls().empty());
}

TEST_F(SetVariableValuesTest, TheJvmRunningOutOfMemoryMakesNoCall) {
  {
    JniFailure<&JNINativeInterface_::GetIntArrayElements> failure;
    EXPECT_EQ(setValues(newInts({1}), newObjects({newLong(1)})), "")
        << "no value is converted once the numbers cannot be had";
  }
  EXPECT_TRUE(takePendingException(env()));
  {
    JniFailure<&JNINativeInterface_::GetStringChars> failure(1);
    setValues(newInts({1, 2, 3}), newObjects({newString(u"a"), newString(u"b"), newLong(3)}));
    EXPECT_EQ(failure.calls(), 2) << "no value is converted after the failed one";
  }
  EXPECT_TRUE(takePendingException(env()));
  EXPECT_TRUE(server.calls().empty());
}

// ---- setVariableChangeNotification

class ChangeNotificationTest : public WritesTest {
 protected:
  std::string notify(jstring name) {
    return captureStderr([&] { VL(setVariableChangeNotification)(env(), nullptr, 9, name); });
  }
};

TEST_F(ChangeNotificationTest, SendsInstanceThenNameAndReportsARefusedCall) {
  const struct {
    int line;
    HRESULT answer;
    std::u16string name;
    std::string sent;
    std::string written;
  } cases[] = {
      {__LINE__, S_OK, u"OnChange", R"(BSTR "OnChange")", ""},
      {__LINE__, S_OK, u"", R"(BSTR "")", ""},
      {__LINE__, S_OK, std::u16string(u"On\0Change", 9), R"(BSTR "On")", ""},
      {__LINE__, E_FAIL, u"OnChange", R"(BSTR "OnChange")", "Invoke error 0x80004005\n"},
      {__LINE__, DISP_E_EXCEPTION, u"OnChange", R"(BSTR "OnChange")", "Invoke error 0x80020009\n"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(::testing::Message() << "line " << row.line);
    server.reset();
    server.answer(ServerMember::SetVarChangeNotification, {row.answer});

    EXPECT_EQ(notify(newJavaString(env(), row.name)), row.written);

    EXPECT_EQ(callTexts(server),
              std::vector<std::string>{"SetVarChangeNotification METHOD 0x400 (I4 9, " + row.sent +
                                       ") no result"});
  }
}

TEST_F(ChangeNotificationTest, ANameThatCannotBeHadMakesNoCall) {
  EXPECT_EQ(notify(nullptr), "");
  {
    JniFailure<&JNINativeInterface_::GetStringChars> failure;
    EXPECT_EQ(notify(newJavaString(env(), u"OnChange")), "");
  }
  EXPECT_TRUE(takePendingException(env()));
  EXPECT_TRUE(server.calls().empty());
}

#undef VL

}  // namespace
}  // namespace vardelon::testing
