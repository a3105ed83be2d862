// Hostile input from both sides, gathered in one table: what a Java caller
// may hand the exports (nulls everywhere, ragged and null rows, matrices no
// data block can hold, empty arrays, unpaired surrogates, U+0000) and what a
// misbehaving server may answer (wrong result types, arrays of the wrong
// dimension count, null array pointers, bounds that overflow, element sizes
// that lie, failing calls at every step). Each row gives the neutral value
// it must come back with, the diagnostic lines, the calls the server saw,
// and leaves no BSTR or SAFEARRAY behind.
#include <functional>
#include <string>
#include <vector>

#include "answers.h"
#include "described.h"
#include "java_values.h"
#include "server_test.h"

namespace vardelon::testing {
namespace {

#define VL(method) Java_com_mintova_vardelon_VardelonLink_##method

using Member = ServerMember;

struct HostileCase {
  int line;
  std::function<void(ScriptedServer&)> script;  // what the server answers; may be empty
  std::function<std::string(JNIEnv*)> call;     // the call, and what it returned as text
  std::string returned;
  std::string written;            // on standard error
  std::vector<std::string> sent;  // every call the server saw, as callText writes it
  bool connected = true;          // whether connect is to succeed first
};

// What the exports return, as text: Java objects as javaText shows them.
std::string shown(JNIEnv* env, jobject value) {
  return javaText(env, value);
}
std::string shown(JNIEnv*, jint number) {
  return std::to_string(number);
}
// A call of a method without a result.
template <typename Call>
std::function<std::string(JNIEnv*)> doing(Call call) {
  return [call](JNIEnv* env) {
    call(env);
    return std::string("nothing");
  };
}

// One member answering one value (or failing) for the row.
std::function<void(ScriptedServer&)> answers(Member member, HRESULT result,
                                             std::function<OwnedVariant()> value = {}) {
  return [=](ScriptedServer& server) {
    server.answer(member, Answer{result, value ? value() : OwnedVariant{}});
  };
}

// A SAFEARRAY of `type` with the given bounds per dimension, each {count,
// lower bound} as SAFEARRAYBOUND holds them; every element zero.
SAFEARRAY* arrayWithBounds(VARTYPE type, std::vector<SAFEARRAYBOUND> bounds) {
  return SafeArrayCreate(type, static_cast<UINT>(bounds.size()), bounds.data());
}

std::function<OwnedVariant()> array(VARTYPE tag, std::function<SAFEARRAY*()> make) {
  return [=] { return arrayVariant(tag, make ? make() : nullptr); };
}

class HostileInputTest : public ServerTest {
 protected:
  jstring text(std::u16string_view units) { return newJavaString(env(), units); }
  jobject boxedDouble(double value) { return newObject(env(), "java/lang/Double", "(D)V", value); }
  jintArray ints(const std::vector<jint>& values) {
    return static_cast<jintArray>(javaRow(env(), values));
  }
  jobjectArray objects(const std::vector<jobject>& values) {
    return newObjectArray(env(), "java/lang/Object", values);
  }

  void run(const HostileCase& c) {
    SCOPED_TRACE(::testing::Message() << "case at line " << c.line);
    ASSERT_EQ(env()->PushLocalFrame(64), JNI_OK);
    const LONG bstrs = AutomationLiveBstrCount();
    const LONG arrays = AutomationLiveSafeArrayCount();
    if (c.script) c.script(server);
    EXPECT_EQ(connect(), c.connected);
    std::string returned;
    const std::string written = captureStderr([&] { returned = c.call(env()); });
    EXPECT_EQ(returned, c.returned);
    EXPECT_EQ(written, c.written);
    EXPECT_EQ(callTexts(server), c.sent);
    EXPECT_FALSE(env()->ExceptionCheck()) << "a Java exception was left pending";
    env()->ExceptionClear();
    disconnect();
    server.reset();
    EXPECT_EQ(AutomationLiveBstrCount(), bstrs) << "BSTRs leaked or freed twice";
    EXPECT_EQ(AutomationLiveSafeArrayCount(), arrays) << "SAFEARRAYs leaked or freed twice";
    env()->PopLocalFrame(nullptr);
  }
};

TEST_F(HostileInputTest, EveryHostileInputGivesItsNeutralValueAndLineAndLeaksNothing) {
  const std::string invalid = "Invoke error 0x80070057\n";   // E_INVALIDARG
  const std::string badIndex = "Invoke error 0x8002000b\n";  // DISP_E_BADINDEX
  const std::string failed = "Invoke error 0x80004005\n";    // E_FAIL
  // clang-format off
  const HostileCase cases[] = {
      // ---- From Java: nulls everywhere. A null name, text or list makes no call.
      {__LINE__, {},
       [&](JNIEnv* e) { return shown(e, VL(variableValue)(e, nullptr, 1, nullptr)); },
       "null", "", {}},
      {__LINE__, {},
       [&](JNIEnv* e) { return shown(e, VL(uvoVariableValue)(e, nullptr, nullptr)); },
       "null", "", {}},
      {__LINE__, {},
       [&](JNIEnv* e) { return shown(e, VL(variableValues)(e, nullptr, 1, nullptr)); },
       "null", "", {}},
      {__LINE__, {},
       [&](JNIEnv* e) { return shown(e, VL(uvoVariableValues)(e, nullptr, nullptr)); },
       "null", "", {}},
      {__LINE__, {},
       [&](JNIEnv* e) { return shown(e, VL(open)(e, nullptr, nullptr)); },
       "-1", "", {}},
      {__LINE__, {},
       doing([&](JNIEnv* e) { VL(execute)(e, nullptr, nullptr); }),
       "nothing", "", {}},
      {__LINE__, {},
       doing([&](JNIEnv* e) { VL(setVariableValue)(e, nullptr, 1, nullptr, boxedDouble(1)); }),
       "nothing", "", {}},
      {__LINE__, {},
       doing([&](JNIEnv* e) {
         VL(setVariableValues)(e, nullptr, 1, nullptr, objects({boxedDouble(1)}));
       }),
       "nothing", "", {}},
      {__LINE__, {},
       doing([&](JNIEnv* e) { VL(setVariableValues)(e, nullptr, 1, ints({0}), nullptr); }),
       "nothing", "", {}},
      {__LINE__, {},
       doing([&](JNIEnv* e) { VL(setVariableChangeNotification)(e, nullptr, 1, nullptr); }),
       "nothing", "", {}},
      // A null value goes as VT_NULL, alone or in a list.
      {__LINE__, {},
       doing([&](JNIEnv* e) { VL(setVariableValue)(e, nullptr, 1, text(u"x"), nullptr); }),
       "nothing", "",
       {R"(SetVariableValueByName METHOD 0x400 (I4 1, BSTR "x", NULL) no result)"}},
      {__LINE__, {},
       doing([&](JNIEnv* e) {
         VL(setVariableValues)(e, nullptr, 1, ints({0, 1}), objects({nullptr, boxedDouble(1)}));
       }),
       "nothing", "",
       {"SetVariableValues METHOD 0x400 (I4 1, BYREF ARRAY I4 [0:2] {0, 1}, "
        "BYREF ARRAY VARIANT [0:2] {NULL, R8 1}) no result"}},

      // ---- From Java: ragged and null rows. A row longer than row 0 (a null
      // row 0 counts as empty) refuses the value; a shorter or null later row
      // is padded with zeros.
      {__LINE__, {},
       doing([&](JNIEnv* e) {
         VL(setVariableValue)(e, nullptr, 1, text(u"m"), javaMatrix<jint>(e, {{1}, {2, 3}}));
       }),
       "nothing", "Row 1 of a Java matrix has 2 elements, more than the 1 of row 0\n",
       {R"(SetVariableValueByName METHOD 0x400 (I4 1, BSTR "m", EMPTY) no result)"}},
      {__LINE__, {},
       doing([&](JNIEnv* e) {
         VL(setVariableValue)(e, nullptr, 1, text(u"m"),
                              newObjectArray(e, "[B", {nullptr, javaRow<jbyte>(e, {1})}));
       }),
       "nothing", "Row 1 of a Java matrix has 1 elements, more than the 0 of row 0\n",
       {R"(SetVariableValueByName METHOD 0x400 (I4 1, BSTR "m", EMPTY) no result)"}},
      {__LINE__, {},
       doing([&](JNIEnv* e) {
         VL(setVariableValue)(e, nullptr, 1, text(u"m"), javaMatrix<jint>(e, {{1, 2, 3}, {4}}));
       }),
       "nothing", "",
       {R"(SetVariableValueByName METHOD 0x400 (I4 1, BSTR "m", )"
        "ARRAY I4 [0:2][0:3] {1, 2, 3, 4, 0, 0}) no result"}},
      {__LINE__, {},
       doing([&](JNIEnv* e) {
         VL(setVariableValue)(e, nullptr, 1, text(u"m"),
                              newObjectArray(e, "[D", {javaRow<jdouble>(e, {1, 2}), nullptr}));
       }),
       "nothing", "",
       {R"(SetVariableValueByName METHOD 0x400 (I4 1, BSTR "m", )"
        "ARRAY R8 [0:2][0:2] {1, 2, 0, 0}) no result"}},

      // ---- From Java: huge and empty arrays. 65536 rows of row 0's 65536
      // doubles need 32 GiB; empty arrays go as 0 x 0 matrices and empty lists.
      {__LINE__, {},
       doing([&](JNIEnv* e) {
         jobjectArray rows = newObjectArray(e, "[D", std::vector<jobject>(65536, nullptr));
         e->SetObjectArrayElement(rows, 0, javaRow<jdouble>(e, std::vector<jdouble>(65536)));
         VL(setVariableValue)(e, nullptr, 1, text(u"m"), rows);
       }),
       "nothing", "Cannot create an OLE array of 65536 x 65536 elements\n",
       {R"(SetVariableValueByName METHOD 0x400 (I4 1, BSTR "m", EMPTY) no result)"}},
      {__LINE__, {},
       doing([&](JNIEnv* e) {
         VL(setVariableValues)(e, nullptr, 1, ints({0, 1}),
                               objects({javaRow<jdouble>(e, {}), javaMatrix<jint>(e, {})}));
       }),
       "nothing", "",
       {"SetVariableValues METHOD 0x400 (I4 1, BYREF ARRAY I4 [0:2] {0, 1}, BYREF ARRAY VARIANT "
        "[0:2] {ARRAY R8 [0:0][0:0] {}, ARRAY I4 [0:0][0:0] {}}) no result"}},
      {__LINE__, {},
       doing([&](JNIEnv* e) { VL(setVariableValues)(e, nullptr, 1, ints({}), objects({})); }),
       "nothing", "",
       {"SetVariableValues METHOD 0x400 (I4 1, BYREF ARRAY I4 [0:0] {}, "
        "BYREF ARRAY VARIANT [0:0] {}) no result"}},
      {__LINE__, {},
       [&](JNIEnv* e) { return shown(e, VL(variableValues)(e, nullptr, 1, ints({}))); },
       "[Ljava.lang.Object; []", "",
       {"GetVariableValues METHOD 0x400 (I4 1, BYREF ARRAY I4 [0:0] {}) result"}},

      // ---- From Java: unpaired surrogates go over unit for unit; U+0000 ends a text.
      {__LINE__, {},
       doing([&](JNIEnv* e) {
         VL(setVariableValue)(e, nullptr, 1, text(u"a\xD800"), text(u"\xDC00z"));
       }),
       "nothing", "",
       {R"(SetVariableValueByName METHOD 0x400 (I4 1, BSTR "a\uD800", BSTR "\uDC00z") no result)"}},
      {__LINE__, {},
       doing([&](JNIEnv* e) {
         VL(setVariableValue)(e, nullptr, 1, text(std::u16string_view(u"a\0b", 3)),
                              text(std::u16string_view(u"\0c", 2)));
       }),
       "nothing", "",
       {R"(SetVariableValueByName METHOD 0x400 (I4 1, BSTR "a", BSTR "") no result)"}},
      {__LINE__, {},
       doing([&](JNIEnv* e) {
         VL(execute)(e, nullptr, text(std::u16string_view(u"run\0 away", 9)));
       }),
       "nothing", "", {R"(Execute METHOD 0x400 (BSTR "run") no result)"}},

      // ---- From the server: results of the wrong type.
      {__LINE__,
       answers(Member::Version, S_OK, array(VT_ARRAY | VT_I4, [] { return intVector(0, {1}); })),
       [&](JNIEnv* e) { return shown(e, VL(version)(e, nullptr)); },
       R"(java.lang.String "?")", "VariantChangeType error 0x80020005\n",
       {"Version PROPERTYGET 0x400 () result"}},
      {__LINE__, answers(Member::Open, S_OK, [] { return textVariant(u"seven"); }),
       [&](JNIEnv* e) { return shown(e, VL(open)(e, nullptr, text(u"f"))); },
       "-1", "", {R"(Open METHOD 0x400 (BSTR "f") result)"}},
      {__LINE__, answers(Member::Open, S_OK, [] { return textVariant(u"99999999999"); }),
       [&](JNIEnv* e) { return shown(e, VL(open)(e, nullptr, text(u"f"))); },
       "-1", "", {R"(Open METHOD 0x400 (BSTR "f") result)"}},
      {__LINE__, answers(Member::GetVariableNames, S_OK, [] { return intVariant(3); }),
       [&](JNIEnv* e) { return shown(e, VL(variableNames)(e, nullptr, 1)); },
       "null", "", {"GetVariableNames METHOD 0x400 (I4 1) result"}},
      {__LINE__,
       answers(Member::GetVariableValueByName, S_OK, [] { return typedVariant(VT_DATE); }),
       [&](JNIEnv* e) { return shown(e, VL(variableValue)(e, nullptr, 1, text(u"v"))); },
       "null", "Unknown OLE variant type (7)\n",
       {R"(GetVariableValueByName METHOD 0x400 (I4 1, BSTR "v") result)"}},
      // What holds no array of VARIANTs has no element to fetch.
      {__LINE__, answers(Member::GetVariableValues, S_OK, [] { return intVariant(1234); }),
       [&](JNIEnv* e) { return shown(e, VL(variableValues)(e, nullptr, 1, ints({0}))); },
       "[Ljava.lang.Object; [null]", invalid,
       {"GetVariableValues METHOD 0x400 (I4 1, BYREF ARRAY I4 [0:1] {0}) result"}},
      {__LINE__, answers(Member::GetUVOVariableValues, S_OK, [] { return textVariant(u"x"); }),
       [&](JNIEnv* e) { return shown(e, VL(uvoVariableValues)(e, nullptr, ints({0}))); },
       "[Ljava.lang.Object; [null]", invalid,
       {"GetUVOVariableValues METHOD 0x400 (BYREF ARRAY I4 [0:1] {0}) result"}},

      // ---- From the server: arrays of the wrong dimension count.
      {__LINE__,
       answers(Member::GetVariableValueByName, S_OK,
               array(VT_ARRAY | VT_R8, [] { return arrayWithBounds(VT_R8, {{3, 0}}); })),
       [&](JNIEnv* e) { return shown(e, VL(variableValue)(e, nullptr, 1, text(u"v"))); },
       "null", "Unsupported number of dimensions of OLE array (1)\n",
       {R"(GetVariableValueByName METHOD 0x400 (I4 1, BSTR "v") result)"}},
      {__LINE__,
       answers(Member::GetUVOVariableValueByName, S_OK,
               array(VT_ARRAY | VT_I4,
                     [] { return arrayWithBounds(VT_I4, {{2, 0}, {2, 0}, {2, 0}}); })),
       [&](JNIEnv* e) { return shown(e, VL(uvoVariableValue)(e, nullptr, text(u"v"))); },
       "null", "Unsupported number of dimensions of OLE array (3)\n",
       {R"(GetUVOVariableValueByName METHOD 0x400 (BSTR "v") result)"}},
      {__LINE__,
       answers(Member::GetVariableNames, S_OK,
               array(VT_ARRAY | VT_BSTR, [] { return zeroMatrix(VT_BSTR, 2, 2); })),
       [&](JNIEnv* e) { return shown(e, VL(variableNames)(e, nullptr, 1)); },
       "null", "", {"GetVariableNames METHOD 0x400 (I4 1) result"}},
      {__LINE__,
       answers(Member::GetVariableValues, S_OK,
               array(VT_ARRAY | VT_VARIANT, [] { return zeroMatrix(VT_VARIANT, 1, 2); })),
       [&](JNIEnv* e) { return shown(e, VL(variableValues)(e, nullptr, 1, ints({0, 1}))); },
       "[Ljava.lang.Object; [null, null]", invalid + invalid,
       {"GetVariableValues METHOD 0x400 (I4 1, BYREF ARRAY I4 [0:2] {0, 1}) result"}},

      // ---- From the server: null array pointers.
      {__LINE__, answers(Member::GetVariableValueByName, S_OK, array(VT_ARRAY | VT_R8, {})),
       [&](JNIEnv* e) { return shown(e, VL(variableValue)(e, nullptr, 1, text(u"v"))); },
       "null", "Unsupported number of dimensions of OLE array (0)\n",
       {R"(GetVariableValueByName METHOD 0x400 (I4 1, BSTR "v") result)"}},
      {__LINE__, answers(Member::GetUVOVariableNames, S_OK, array(VT_ARRAY | VT_BSTR, {})),
       [&](JNIEnv* e) { return shown(e, VL(uvoVariableNames)(e, nullptr)); },
       "null", "", {"GetUVOVariableNames METHOD 0x400 () result"}},
      {__LINE__, answers(Member::GetUVOVariableValues, S_OK, array(VT_ARRAY | VT_VARIANT, {})),
       [&](JNIEnv* e) { return shown(e, VL(uvoVariableValues)(e, nullptr, ints({0}))); },
       "[Ljava.lang.Object; [null]", invalid,
       {"GetUVOVariableValues METHOD 0x400 (BYREF ARRAY I4 [0:1] {0}) result"}},

      // ---- From the server: bounds that overflow a LONG. Names from
      // 0x7FFFFFFF on cannot be indexed; a matrix's counts still can; an
      // element index past the vector's is refused.
      {__LINE__,
       answers(Member::GetVariableNames, S_OK,
               array(VT_ARRAY | VT_BSTR, [] { return bstrVector(0x7FFFFFFF, {u"a", u"b"}); })),
       [&](JNIEnv* e) { return shown(e, VL(variableNames)(e, nullptr, 1)); },
       "null", "", {"GetVariableNames METHOD 0x400 (I4 1) result"}},
      {__LINE__,
       answers(Member::GetVariableValueByName, S_OK,
               array(VT_ARRAY | VT_R8,
                     [] { return arrayWithBounds(VT_R8, {{2, 0x7FFFFFFF}, {1, -5}}); })),
       [&](JNIEnv* e) { return shown(e, VL(variableValue)(e, nullptr, 1, text(u"v"))); },
       "[[D [[0.0], [0.0]]", "",
       {R"(GetVariableValueByName METHOD 0x400 (I4 1, BSTR "v") result)"}},
      {__LINE__,
       answers(Member::GetVariableValueByName, S_OK,
               array(VT_ARRAY | VT_I4,
                     [] { return arrayWithBounds(VT_I4, {{0x80000000, 0}, {0, 0}}); })),
       [&](JNIEnv* e) { return shown(e, VL(variableValue)(e, nullptr, 1, text(u"v"))); },
       "null", "Unsupported size of OLE array (2147483648 x 0)\n",
       {R"(GetVariableValueByName METHOD 0x400 (I4 1, BSTR "v") result)"}},
      {__LINE__,
       answers(Member::GetVariableValues, S_OK,
               array(VT_ARRAY | VT_VARIANT, [] {
                 return variantVector(0x7FFFFFFF, {intVariant(1), intVariant(2)});
               })),
       [&](JNIEnv* e) { return shown(e, VL(variableValues)(e, nullptr, 1, ints({0, 1}))); },
       "[Ljava.lang.Object; [null, null]", badIndex + badIndex,
       {"GetVariableValues METHOD 0x400 (I4 1, BYREF ARRAY I4 [0:2] {0, 1}) result"}},

      // ---- From the server: element sizes that lie about the tag.
      {__LINE__,
       answers(Member::GetVariableValueByName, S_OK,
               array(VT_ARRAY | VT_R8, [] { return zeroMatrix(VT_I1, 2, 2); })),
       [&](JNIEnv* e) { return shown(e, VL(variableValue)(e, nullptr, 1, text(u"v"))); },
       "null", "Element size of OLE array (1 bytes) does not match its type (5)\n",
       {R"(GetVariableValueByName METHOD 0x400 (I4 1, BSTR "v") result)"}},
      {__LINE__,
       answers(Member::GetVariableNames, S_OK,
               array(VT_ARRAY | VT_BSTR, [] { return intVector(0, {1, 2, 3}); })),
       [&](JNIEnv* e) { return shown(e, VL(variableNames)(e, nullptr, 1)); },
       "null", "", {"GetVariableNames METHOD 0x400 (I4 1) result"}},
      {__LINE__,
       answers(Member::GetVariableValues, S_OK,
               array(VT_ARRAY | VT_VARIANT, [] { return intVector(0, {1, 2, 3}); })),
       [&](JNIEnv* e) { return shown(e, VL(variableValues)(e, nullptr, 1, ints({0, 1, 2}))); },
       "[Ljava.lang.Object; [null, null, null]", invalid + invalid + invalid,
       {"GetVariableValues METHOD 0x400 (I4 1, BYREF ARRAY I4 [0:3] {0, 1, 2}) result"}},
      // Fewer elements than numbers asked for.
      {__LINE__,
       answers(Member::GetUVOVariableValues, S_OK,
               array(VT_ARRAY | VT_VARIANT, [] { return variantVector(0, {intVariant(1)}); })),
       [&](JNIEnv* e) { return shown(e, VL(uvoVariableValues)(e, nullptr, ints({0, 1, 2}))); },
       "[Ljava.lang.Object; [1, null, null]", badIndex + badIndex,
       {"GetUVOVariableValues METHOD 0x400 (BYREF ARRAY I4 [0:3] {0, 1, 2}) result"}},

      // ---- From the server: the call fails, member by member.
      {__LINE__, answers(Member::Version, E_FAIL),
       [&](JNIEnv* e) { return shown(e, VL(version)(e, nullptr)); },
       R"(java.lang.String "?")", failed, {"Version PROPERTYGET 0x400 () result"}},
      {__LINE__, answers(Member::Execute, DISP_E_EXCEPTION),
       doing([&](JNIEnv* e) { VL(execute)(e, nullptr, text(u"x")); }),
       "nothing", "Invoke error 0x80020009\n", {R"(Execute METHOD 0x400 (BSTR "x") no result)"}},
      {__LINE__, answers(Member::Open, E_FAIL),
       [&](JNIEnv* e) { return shown(e, VL(open)(e, nullptr, text(u"f"))); },
       "-1", failed, {R"(Open METHOD 0x400 (BSTR "f") result)"}},
      {__LINE__, answers(Member::Reload, E_FAIL),
       doing([&](JNIEnv* e) { VL(reload)(e, nullptr, 3); }),
       "nothing", failed, {"Reload METHOD 0x400 (I4 3) no result"}},
      {__LINE__, answers(Member::MaximizeMainWindow, E_FAIL),
       doing([&](JNIEnv* e) { VL(maximize)(e, nullptr); }),
       "nothing", "", {"MaximizeMainWindow METHOD 0x400 () no result"}},
      {__LINE__, answers(Member::MinimizeMainWindow, E_FAIL),
       doing([&](JNIEnv* e) { VL(minimize)(e, nullptr); }),
       "nothing", "", {"MinimizeMainWindow METHOD 0x400 () no result"}},
      {__LINE__, answers(Member::RestoreMainWindow, E_FAIL),
       doing([&](JNIEnv* e) { VL(restoreSize)(e, nullptr); }),
       "nothing", "", {"RestoreMainWindow METHOD 0x400 () no result"}},
      {__LINE__, answers(Member::Show, E_FAIL),
       doing([&](JNIEnv* e) { VL(show)(e, nullptr); }),
       "nothing", "", {"Show METHOD 0x400 () no result"}},
      // A refused "Quit" still ends the connection.
      {__LINE__, answers(Member::Quit, E_FAIL),
       [&](JNIEnv* e) {
         VL(quit)(e, nullptr);
         return shown(e, newObject(e, "java/lang/Boolean", "(Z)V", VL(isConnected)(e, nullptr)));
       },
       "java.lang.Boolean false", "", {"Quit METHOD 0x400 () no result"}},
      {__LINE__, answers(Member::GetVariableNames, E_FAIL),
       [&](JNIEnv* e) { return shown(e, VL(variableNames)(e, nullptr, 1)); },
       "null", "", {"GetVariableNames METHOD 0x400 (I4 1) result"}},
      {__LINE__, answers(Member::GetVariableValueByName, E_FAIL),
       [&](JNIEnv* e) { return shown(e, VL(variableValue)(e, nullptr, 1, text(u"v"))); },
       "null", failed + "Unknown OLE variant type (0)\n",
       {R"(GetVariableValueByName METHOD 0x400 (I4 1, BSTR "v") result)"}},
      // A failed call leaves no array: every element is reported.
      {__LINE__, answers(Member::GetVariableValues, E_FAIL),
       [&](JNIEnv* e) { return shown(e, VL(variableValues)(e, nullptr, 1, ints({4, 5}))); },
       "[Ljava.lang.Object; [null, null]", invalid + invalid,
       {"GetVariableValues METHOD 0x400 (I4 1, BYREF ARRAY I4 [0:2] {4, 5}) result"}},
      {__LINE__, answers(Member::SetVariableValueByName, E_FAIL),
       doing([&](JNIEnv* e) { VL(setVariableValue)(e, nullptr, 1, text(u"v"), boxedDouble(2)); }),
       "nothing", "", {R"(SetVariableValueByName METHOD 0x400 (I4 1, BSTR "v", R8 2) no result)"}},
      {__LINE__, answers(Member::SetVariableValues, E_FAIL),
       doing([&](JNIEnv* e) {
         VL(setVariableValues)(e, nullptr, 1, ints({0}), objects({boxedDouble(2)}));
       }),
       "nothing", failed,
       {"SetVariableValues METHOD 0x400 (I4 1, BYREF ARRAY I4 [0:1] {0}, "
        "BYREF ARRAY VARIANT [0:1] {R8 2}) no result"}},
      {__LINE__, answers(Member::SetVarChangeNotification, E_FAIL),
       doing([&](JNIEnv* e) { VL(setVariableChangeNotification)(e, nullptr, 1, text(u"v")); }),
       "nothing", failed, {R"(SetVarChangeNotification METHOD 0x400 (I4 1, BSTR "v") no result)"}},
      {__LINE__, answers(Member::GetUVOVariableNames, E_FAIL),
       [&](JNIEnv* e) { return shown(e, VL(uvoVariableNames)(e, nullptr)); },
       "null", "", {"GetUVOVariableNames METHOD 0x400 () result"}},
      {__LINE__, answers(Member::GetUVOVariableValues, E_FAIL),
       [&](JNIEnv* e) { return shown(e, VL(uvoVariableValues)(e, nullptr, ints({0}))); },
       "[Ljava.lang.Object; [null]", invalid,
       {"GetUVOVariableValues METHOD 0x400 (BYREF ARRAY I4 [0:1] {0}) result"}},
      {__LINE__, answers(Member::GetUVOVariableValueByName, E_FAIL),
       [&](JNIEnv* e) { return shown(e, VL(uvoVariableValue)(e, nullptr, text(u"v"))); },
       "null", failed + "Unknown OLE variant type (0)\n",
       {R"(GetUVOVariableValueByName METHOD 0x400 (BSTR "v") result)"}},

      // ---- From the server: a connection that fails at each step leaves
      // every method on its neutral value, and no call is made.
      {__LINE__, [](ScriptedServer& server) { server.failCreation(E_OUTOFMEMORY); },
       [&](JNIEnv* e) { return shown(e, VL(variableValue)(e, nullptr, 1, text(u"v"))); },
       "null", "Not connected to Vardelon\n", {}, false},
      {__LINE__, [](ScriptedServer& server) { server.refuseDispatch(); },
       [&](JNIEnv* e) { return shown(e, VL(version)(e, nullptr)); },
       R"(java.lang.String "?")", "", {}, false},
      {__LINE__, [](ScriptedServer& server) { server.lack(Member::GetUVOVariableValueByName); },
       [&](JNIEnv* e) { return shown(e, VL(open)(e, nullptr, text(u"f"))); },
       "-1", "", {}, false},
  };
  // clang-format on
  for (const HostileCase& c : cases) run(c);
}

}  // namespace
}  // namespace vardelon::testing
