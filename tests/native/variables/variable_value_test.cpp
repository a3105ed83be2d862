// variableValue and uvoVariableValue: the call each makes, the object each
// answer gives, and the lines written on the way.
#include <functional>

#include "variables_test.h"

namespace vardelon::testing {
namespace {

#define VL(method) Java_com_mintova_vardelon_VardelonLink_##method

struct ValueTwin {
  const char* method;
  std::function<jobject(JNIEnv*, jstring)> call;
  ServerMember member;
  std::string sentBefore;  // the call's text up to the name
};

const ValueTwin kTwins[] = {
    {"variableValue",
     [](JNIEnv* e, jstring name) { return VL(variableValue)(e, nullptr, 3, name); },
     ServerMember::GetVariableValueByName, "GetVariableValueByName METHOD 0x400 (I4 3, "},
    {"uvoVariableValue",
     [](JNIEnv* e, jstring name) { return VL(uvoVariableValue)(e, nullptr, name); },
     ServerMember::GetUVOVariableValueByName, "GetUVOVariableValueByName METHOD 0x400 ("},
};

class VariableValueTest : public VariablesTest {
 protected:
  // What one call of `twin` gives, as javaText shows it.
  std::string value(const ValueTwin& twin, jstring name, std::string* written) {
    jobject returned = nullptr;
    *written = captureStderr([&] { returned = twin.call(env(), name); });
    return javaText(env(), returned);
  }
};

struct ValueCase {
  int line;
  Answer answer;
  std::string returned;
  std::string written;
};

// Built anew for each twin: the answers hold BSTRs and arrays.
std::vector<ValueCase> valueCases() {
  return {
      {__LINE__, {S_OK, realVariant(2.5)}, "java.lang.Double 2.5", ""},
      {__LINE__, {S_OK, intVariant(-7)}, "java.lang.Integer -7", ""},
      {__LINE__, {S_OK, textVariant(u"Kessel")}, R"(java.lang.String "Kessel")", ""},
      {__LINE__,
       {S_OK, arrayVariant(VT_ARRAY | VT_R8, realMatrix(1, 3, {1, 2, 3}))},
       "[[D [[1.0, 2.0, 3.0]]",
       ""},
      {__LINE__, {S_OK, typedVariant(VT_NULL)}, "null", ""},
      {__LINE__, {S_OK, typedVariant(VT_DATE)}, "null", "Unknown OLE variant type (7)\n"},
      // A failed call is reported, and its empty result by the converter.
      {__LINE__, {E_FAIL}, "null", "Invoke error 0x80004005\nUnknown OLE variant type (0)\n"},
      {__LINE__,
       {DISP_E_EXCEPTION},
       "null",
       "Invoke error 0x80020009\nUnknown OLE variant type (0)\n"},
      // Whatever the outcome, the result is converted.
      {__LINE__,
       {DISP_E_EXCEPTION, realVariant(1.5)},
       "java.lang.Double 1.5",
       "Invoke error 0x80020009\n"},
  };
}

TEST_F(VariableValueTest, EachAnswerGivesItsObjectAndItsLines) {
  for (const ValueTwin& twin : kTwins) {
    for (const ValueCase& row : valueCases()) {
      SCOPED_TRACE(::testing::Message() << twin.method << ", line " << row.line);
      server.reset();
      server.answer(twin.member, row.answer);

      std::string written;
      EXPECT_EQ(value(twin, newJavaString(env(), u"Druck"), &written), row.returned);

      EXPECT_EQ(written, row.written);
      EXPECT_EQ(callTexts(server),
                std::vector<std::string>{twin.sentBefore + R"(BSTR "Druck") result)"});
    }
  }
}

TEST_F(VariableValueTest, TheNameGoesAsJavaStringToBstrMakesIt) {
  const struct {
    int line;
    std::u16string name;
    std::string sent;
  } cases[] = {
      {__LINE__, u"", R"(BSTR "")"},
      {__LINE__, std::u16string(u"Dr\0uck", 6), R"(BSTR "Dr")"},
      {__LINE__, u"\u00c4nderung", R"(BSTR "\u00C4nderung")"},
  };
  for (const ValueTwin& twin : kTwins) {
    for (const auto& row : cases) {
      SCOPED_TRACE(::testing::Message() << twin.method << ", line " << row.line);
      server.reset();
      server.answer(twin.member, {S_OK, intVariant(1)});

      std::string written;
      EXPECT_EQ(value(twin, newJavaString(env(), row.name), &written), "java.lang.Integer 1");

      EXPECT_EQ(callTexts(server),
                std::vector<std::string>{twin.sentBefore + row.sent + ") result"});
    }
  }
}

TEST_F(VariableValueTest, ANullNameMakesNoCallAndGivesNull) {
  for (const ValueTwin& twin : kTwins) {
    SCOPED_TRACE(twin.method);
    std::string written;
    EXPECT_EQ(value(twin, nullptr, &written), "null");
    EXPECT_EQ(written, "");
  }
  EXPECT_TRUE(server.calls().empty());
}

TEST_F(VariableValueTest, TheJvmRunningOutOfMemoryGivesNullWithItsExceptionPending) {
  for (const ValueTwin& twin : kTwins) {
    SCOPED_TRACE(twin.method);
    server.reset();
    server.answer(twin.member, {S_OK, textVariant(u"Kessel")});
    jstring name = newJavaString(env(), u"Druck");
    {
      JniFailure<&JNINativeInterface_::GetStringChars> failure;
      EXPECT_EQ(twin.call(env(), name), nullptr);
    }
    EXPECT_TRUE(takePendingException(env()));
    EXPECT_TRUE(server.calls().empty()) << "no call once the name cannot be had";
    {
      JniFailure<&JNINativeInterface_::NewString> failure;
      EXPECT_EQ(twin.call(env(), name), nullptr);
    }
    EXPECT_TRUE(takePendingException(env()));
    EXPECT_EQ(server.calls().size(), 1u);
  }
}

#undef VL

}  // namespace
}  // namespace vardelon::testing
