// variableNames and uvoVariableNames: the call each makes, and the String[]
// (or null, silently) that each answer gives.
#include <functional>
#include <optional>

#include "variables_test.h"

namespace vardelon::testing {
namespace {

#define VL(method) Java_com_mintova_vardelon_VardelonLink_##method

struct NamesTwin {
  const char* method;
  std::function<jobjectArray(JNIEnv*)> call;
  ServerMember member;
  std::string sent;
};

const NamesTwin kTwins[] = {
    {"variableNames", [](JNIEnv* e) { return VL(variableNames)(e, nullptr, -7); },
     ServerMember::GetVariableNames, "GetVariableNames METHOD 0x400 (I4 -7) result"},
    {"uvoVariableNames", [](JNIEnv* e) { return VL(uvoVariableNames)(e, nullptr); },
     ServerMember::GetUVOVariableNames, "GetUVOVariableNames METHOD 0x400 () result"},
};

class VariableNamesTest : public VariablesTest {
 protected:
  // The names one call of `twin` gives, as elementTexts shows them.
  std::vector<std::string> names(const NamesTwin& twin, std::string* written) {
    jobjectArray returned = nullptr;
    *written = captureStderr([&] { returned = twin.call(env()); });
    if (returned != nullptr) {
      EXPECT_TRUE(env()->IsInstanceOf(returned, env()->FindClass("[Ljava/lang/String;")));
    }
    return elementTexts(returned);
  }
};

std::string named(const char* text) {
  return std::string("java.lang.String ") + text;
}

struct NamesCase {
  int line;
  Answer answer;
  std::vector<std::string> returned;
};

// Built anew for each twin: the answers hold BSTRs and arrays that must not
// outlive the test.
std::vector<NamesCase> namesCases() {
  const std::vector<std::string> none{"null"};
  return {
      {__LINE__,
       {S_OK, arrayVariant(VT_ARRAY | VT_BSTR, bstrVector(0, {u"Druck", u"Temp", u"Pegel"}))},
       {named(R"("Druck")"), named(R"("Temp")"), named(R"("Pegel")")}},
      // Slot 0 holds the array's first element, whatever its bound.
      {__LINE__,
       {S_OK, arrayVariant(VT_ARRAY | VT_BSTR, bstrVector(1, {u"a", u"b", u"c"}))},
       {named(R"("a")"), named(R"("b")"), named(R"("c")")}},
      {__LINE__,
       {S_OK, arrayVariant(VT_ARRAY | VT_BSTR, bstrVector(-2, {u"p", u"q"}))},
       {named(R"("p")"), named(R"("q")")}},
      // Every code unit comes back; a null BSTR is the empty name.
      {__LINE__,
       {S_OK, arrayVariant(VT_ARRAY | VT_BSTR, bstrVector(0, {std::u16string(u"Dr\0uck", 6), u"",
                                                              std::nullopt, u"\u00e9t\u00e9"}))},
       {named(R"("Dr\0uck")"), named(R"("")"), named(R"("")"), named(R"("\u00E9t\u00E9")")}},
      // The HRESULT is not examined: what the result holds counts.
      {__LINE__,
       {E_FAIL, arrayVariant(VT_ARRAY | VT_BSTR, bstrVector(0, {u"x"}))},
       {named(R"("x")")}},
      // No names at all.
      {__LINE__, {S_OK, arrayVariant(VT_ARRAY | VT_BSTR, bstrVector(0, {}))}, none},
      {__LINE__, {S_OK, arrayVariant(VT_ARRAY | VT_BSTR, bstrVector(5, {}))}, none},
      // A failed call leaves the result empty.
      {__LINE__, {E_FAIL}, none},
      {__LINE__, {DISP_E_EXCEPTION}, none},
      // Not the promised one-dimensional array of BSTRs.
      {__LINE__, {S_OK, arrayVariant(VT_ARRAY | VT_BSTR, zeroMatrix(VT_BSTR, 1, 3))}, none},
      {__LINE__, {S_OK, arrayVariant(VT_ARRAY | VT_BSTR, zeroMatrix(VT_BSTR, 2, 2))}, none},
      {__LINE__, {S_OK, arrayVariant(VT_ARRAY | VT_BSTR, nullptr)}, none},
      {__LINE__,
       {S_OK, arrayVariant(VT_ARRAY | VT_VARIANT, variantVector(0, {textVariant(u"x")}))},
       none},
      {__LINE__, {S_OK, textVariant(u"Druck")}, none},
      {__LINE__, {S_OK, typedVariant(VT_NULL)}, none},
      // A tag that lies about the array's elements.
      {__LINE__, {S_OK, arrayVariant(VT_ARRAY | VT_BSTR, intVector(0, {1, 2, 3}))}, none},
      {__LINE__,
       {S_OK, arrayVariant(VT_ARRAY | VT_BSTR, variantVector(0, {textVariant(u"x")}))},
       none},
  };
}

TEST_F(VariableNamesTest, EachAnswerGivesItsNamesOrNullAndNothingIsWritten) {
  for (const NamesTwin& twin : kTwins) {
    for (const NamesCase& row : namesCases()) {
      SCOPED_TRACE(::testing::Message() << twin.method << ", line " << row.line);
      server.reset();
      server.answer(twin.method == std::string("variableNames") ? ServerMember::GetVariableNames
                                                                : ServerMember::GetUVOVariableNames,
                    row.answer);

      std::string written;
      EXPECT_EQ(names(twin, &written), row.returned);

      EXPECT_EQ(written, "");
      EXPECT_EQ(callTexts(server), std::vector<std::string>{twin.sent});
    }
  }
}

void answerThreeNames(ScriptedServer& server, ServerMember member) {
  server.answer(member,
                {S_OK, arrayVariant(VT_ARRAY | VT_BSTR, bstrVector(0, {u"a", u"b", u"c"}))});
}

TEST_F(VariableNamesTest, AnElementThatCannotBeFetchedMakesTheWholeListNull) {
  for (const NamesTwin& twin : kTwins) {
    SCOPED_TRACE(twin.method);
    server.reset();
    answerThreeNames(server, twin.member);
    std::string written;
    {
      LayerFailure failure(LayerFunction::SafeArrayGetElement, 1, E_OUTOFMEMORY);
      EXPECT_EQ(names(twin, &written), std::vector<std::string>{"null"});
      EXPECT_EQ(failure.calls(), 2) << "no element is fetched after the failed one";
    }
    EXPECT_EQ(written, "");
  }
}

TEST_F(VariableNamesTest, TheJvmRunningOutOfMemoryGivesNullWithItsExceptionPending) {
  for (const NamesTwin& twin : kTwins) {
    SCOPED_TRACE(twin.method);
    server.reset();
    answerThreeNames(server, twin.member);
    {
      JniFailure<&JNINativeInterface_::NewObjectArray> failure;
      EXPECT_EQ(twin.call(env()), nullptr);
    }
    EXPECT_TRUE(takePendingException(env()));
    {
      JniFailure<&JNINativeInterface_::NewString> failure(1);
      EXPECT_EQ(twin.call(env()), nullptr);
      EXPECT_EQ(failure.calls(), 2) << "no name is made after the failed one";
    }
    EXPECT_TRUE(takePendingException(env()));
  }
}

#undef VL

}  // namespace
}  // namespace vardelon::testing
