// The server as a client sees it: activated by ProgID through the
// registration file the build writes, and called through IDispatch.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "application_members.h"
#include "leak_checked_test.h"
#include "link/holders.h"
#include "platform/automation.h"
#include "platform/utf.h"
#include "script.h"
#include "variant_text.h"
#include "variants.h"

namespace vardelon::simulator {
namespace {

using namespace testing;
using vardelon::testing::kApplicationMemberNames;
using vardelon::testing::LeakCheckedTest;
using vardelon::testing::variantText;

constexpr HRESULT kApplicationGone = static_cast<HRESULT>(0x80010108);

VARIANT byReference(VARIANT* target) {
  VARIANT reference;
  VariantInit(&reference);
  V_VT(&reference) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&reference) = target;
  return reference;
}

IDispatch* createServer() {
  CLSID clsid{};
  IDispatch* server = nullptr;
  if (FAILED(CLSIDFromProgID(u"Vardelon.Application", &clsid))) return nullptr;
  CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch, reinterpret_cast<void**>(&server));
  return server;
}

// One server object per test; after it is released the application it
// belongs to is gone, so every string and array the server made or copied
// must have been given back.
class Server : public LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    server_ = createServer();
    ASSERT_NE(server_, nullptr) << "is AUTOMATION_REGISTRY set to the simulator's .reg file?";
  }

  void TearDown() override {
    if (server_ != nullptr) server_->Release();
    CoUninitialize();
    LeakCheckedTest::TearDown();
  }

  DISPID id(std::u16string_view name) {
    std::u16string text(name);
    LPOLESTR names[] = {text.data()};
    DISPID found = DISPID_UNKNOWN;
    server_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &found);
    return found;
  }

  // Calls a member with `arguments` in the member's own order, which it
  // clears afterwards; they go last-first into rgvarg, as every client
  // stores them.
  HRESULT call(std::u16string_view member, std::vector<VARIANT> arguments,
               VARIANT* result = nullptr, WORD flags = DISPATCH_METHOD,
               IDispatch* server = nullptr) {
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    EXCEPINFO exception{};
    argumentError_ = 99;
    const HRESULT hr = (server != nullptr ? server : server_)
                           ->Invoke(id(member), IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                    result, &exception, &argumentError_);
    for (VARIANT& argument : arguments) VariantClear(&argument);
    exception_ = exceptionText(exception);
    return hr;
  }

  // The exception record the server filled, which the caller frees, as
  // "<source> | <description> | 0x<scode>", or "" when it wrote nothing.
  static std::string exceptionText(EXCEPINFO& exception) {
    std::ostringstream text;
    if (exception.bstrSource != nullptr || exception.bstrDescription != nullptr) {
      text << automation::utf16ToUtf8(bstrText(exception.bstrSource)) << " | "
           << automation::utf16ToUtf8(bstrText(exception.bstrDescription)) << " | 0x" << std::hex
           << static_cast<ULONG>(exception.scode);
      if (exception.wCode != 0 || exception.bstrHelpFile != nullptr) text << " and more";
    }
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return text.str();
  }

  static std::u16string bstrText(BSTR text) {
    return text == nullptr ? u"(null)" : std::u16string(text, SysStringLen(text));
  }

  // The member's result as variantText() shows it, or the failure code.
  std::string read(std::u16string_view member, std::vector<VARIANT> arguments = {}) {
    unique_variant result;
    const HRESULT hr = call(member, std::move(arguments), result.get());
    if (FAILED(hr)) {
      std::ostringstream failure;
      failure << "failed 0x" << std::hex << static_cast<ULONG>(hr);
      return failure.str();
    }
    return variantText(*result);
  }

  std::string variable(LONG instance, std::u16string_view name) {
    return read(u"GetVariableValueByName", {integer(instance), text(name)});
  }

  std::string engineVariable(std::u16string_view name) {
    return read(u"GetUVOVariableValueByName", {text(name)});
  }

  IDispatch* server_ = nullptr;
  UINT argumentError_ = 0;
  std::string exception_;  // of the last call
};

TEST_F(Server, ResolvesEveryMemberToItsOwnIdentifier) {
  std::set<DISPID> ids;
  for (std::u16string_view name : kApplicationMemberNames) {
    std::u16string text(name);
    LPOLESTR names[] = {text.data()};
    DISPID found = DISPID_UNKNOWN;
    EXPECT_EQ(server_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &found), S_OK);
    EXPECT_NE(found, DISPID_UNKNOWN);
    ids.insert(found);
  }
  EXPECT_EQ(ids.size(), kApplicationMemberNames.size());
  EXPECT_EQ(id(u"getvariablenames"), id(u"GetVariableNames")) << "names ignore case";
}

TEST_F(Server, RefusesUnknownNamesAndParameterNames) {
  std::u16string missing = u"Missing";
  std::u16string member = u"Version";
  std::u16string parameter = u"Format";
  DISPID ids[2] = {0, 0};

  LPOLESTR unknown[] = {missing.data()};
  EXPECT_EQ(server_->GetIDsOfNames(IID_NULL, unknown, 1, 0x400, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], DISPID_UNKNOWN);

  LPOLESTR withParameter[] = {member.data(), parameter.data()};
  EXPECT_EQ(server_->GetIDsOfNames(IID_NULL, withParameter, 2, 0x400, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], id(u"Version"));
  EXPECT_EQ(ids[1], DISPID_UNKNOWN);

  EXPECT_EQ(server_->GetIDsOfNames(IID_IDispatch, unknown, 1, 0x400, ids), DISP_E_UNKNOWNINTERFACE);
}

TEST_F(Server, VersionIsAPropertyWithText) {
  unique_variant version;
  EXPECT_EQ(call(u"Version", {}, version.get(), DISPATCH_PROPERTYGET), S_OK);
  EXPECT_EQ(variantText(*version), "BSTR \"Vardelon Simulator 1.0\"");

  unique_variant both;
  EXPECT_EQ(call(u"Version", {}, both.get(), DISPATCH_METHOD | DISPATCH_PROPERTYGET), S_OK);
  EXPECT_EQ(variantText(*both), "BSTR \"Vardelon Simulator 1.0\"");

  unique_variant untouched;
  EXPECT_EQ(call(u"Version", {}, untouched.get(), DISPATCH_METHOD), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(variantText(*untouched), "EMPTY");
}

TEST_F(Server, MethodsAreNotProperties) {
  unique_variant result;
  EXPECT_EQ(call(u"GetVariableNames", {integer(1)}, result.get(), DISPATCH_PROPERTYGET),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(call(u"Show", {}, nullptr, DISPATCH_PROPERTYPUT), DISP_E_MEMBERNOTFOUND);
}

TEST_F(Server, RefusesCallsOfTheWrongShape) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(
      server_->Invoke(4242, IID_NULL, 0x400, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
      DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(server_->Invoke(id(u"Show"), IID_IDispatch, 0x400, DISPATCH_METHOD, &none, nullptr,
                            nullptr, nullptr),
            DISP_E_UNKNOWNINTERFACE);
  EXPECT_EQ(server_->Invoke(id(u"Show"), IID_NULL, 0x400, DISPATCH_METHOD, nullptr, nullptr,
                            nullptr, nullptr),
            E_INVALIDARG);

  VARIANT argument = integer(1);
  DISPID named = 0;
  DISPPARAMS withName{&argument, &named, 1, 1};
  EXPECT_EQ(server_->Invoke(id(u"Reload"), IID_NULL, 0x400, DISPATCH_METHOD, &withName, nullptr,
                            nullptr, nullptr),
            DISP_E_NONAMEDARGS);
}

TEST_F(Server, CountsArguments) {
  struct Case {
    std::u16string_view member;
    UINT count;
  };
  const Case cases[] = {{u"Execute", 0},
                        {u"Execute", 2},
                        {u"Show", 1},
                        {u"Quit", 1},
                        {u"GetVariableNames", 0},
                        {u"GetVariableValueByName", 1},
                        {u"GetVariableValues", 3},
                        {u"SetVariableValueByName", 2},
                        {u"SetVariableValues", 2},
                        {u"SetVarChangeNotification", 1},
                        {u"GetUVOVariableNames", 1},
                        {u"GetUVOVariableValueByName", 2}};
  for (const Case& row : cases) {
    SCOPED_TRACE(::testing::Message()
                 << automation::utf16ToUtf8(row.member) << " with " << row.count);
    std::vector<VARIANT> arguments;
    for (UINT i = 0; i < row.count; ++i) arguments.push_back(integer(1));
    unique_variant result;
    EXPECT_EQ(call(row.member, std::move(arguments), result.get()), DISP_E_BADPARAMCOUNT);
  }
  EXPECT_EQ(read(u"GetVariableValueByName", {integer(1), text(u"Speed")}), "R8 12.5")
      << "the application is unchanged";
}

TEST_F(Server, CoercesArgumentsAsAutomationDoes) {
  EXPECT_EQ(read(u"GetVariableValueByName", {text(u"1"), text(u"Count")}), "I4 42");
  EXPECT_EQ(read(u"GetVariableValueByName", {real(1.0), text(u"Count")}), "I4 42");
  EXPECT_EQ(call(u"SetVariableValueByName", {integer(3), integer(17), real(2.5)}), S_OK);
  EXPECT_EQ(variable(3, u"17"), "R8 2.5");
}

TEST_F(Server, NamesTheArgumentOfTheWrongType) {
  struct Case {
    int line;
    std::u16string_view member;
    std::vector<VARIANT> arguments;
    UINT argumentError;  // the argument's place in rgvarg
  };
  VARIANT target = real(1);
  std::vector<Case> cases;
  cases.push_back({__LINE__, u"GetVariableValueByName", {text(u"one"), text(u"Speed")}, 1});
  cases.push_back({__LINE__, u"GetVariableValueByName", {integer(1), numbers({1})}, 0});
  cases.push_back({__LINE__, u"Execute", {byReference(&target)}, 0});
  cases.push_back({__LINE__, u"GetVariableValues", {integer(1), integer(0)}, 0});
  cases.push_back({__LINE__, u"GetVariableValues", {integer(1), matrix(VT_I4, 1, 1, {0})}, 0});
  cases.push_back({__LINE__, u"GetVariableValues", {integer(1), values({integer(0)})}, 0});
  cases.push_back({__LINE__, u"GetUVOVariableValues", {real(0)}, 0});
  cases.push_back(
      {__LINE__, u"SetVariableValueByName", {integer(1), text(u"x"), byReference(&target)}, 0});
  cases.push_back({__LINE__,
                   u"SetVariableValues",
                   {integer(1), numbers({0}), values({byReference(&target)})},
                   0});
  cases.push_back({__LINE__, u"SetVariableValues", {integer(1), numbers({0}), numbers({0})}, 0});
  cases.push_back(
      {__LINE__, u"SetVariableValues", {text(u"x"), numbers({0}), values({real(0)})}, 2});
  for (Case& row : cases) {
    SCOPED_TRACE(::testing::Message() << "row at line " << row.line);
    unique_variant result;
    EXPECT_EQ(call(row.member, std::move(row.arguments), result.get()), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argumentError_, row.argumentError);
  }
  EXPECT_EQ(variable(1, u"Speed"), "R8 12.5") << "nothing was stored";
  EXPECT_EQ(variable(1, u"x"), "failed 0x80020006");
}

TEST_F(Server, ListsNamesAsOneDimensionalTextArray) {
  unique_variant names;
  ASSERT_EQ(call(u"GetVariableNames", {integer(1)}, names.get()), S_OK);
  EXPECT_EQ(variantText(*names),
            "ARRAY BSTR [0:5] {\"Speed\", \"Count\", \"Label\", \"Grid\", \"Enabled\"}");
  EXPECT_EQ(SafeArrayGetDim(V_ARRAY(names.get())), 1u);
  EXPECT_EQ(read(u"GetVariableNames", {integer(42)}), "ARRAY BSTR [0:0] {}")
      << "an unknown instance";
}

TEST_F(Server, ReadsValuesByName) {
  EXPECT_EQ(variable(1, u"Speed"), "R8 12.5");
  EXPECT_EQ(variable(1, u"Count"), "I4 42");
  EXPECT_EQ(variable(1, u"Label"), "BSTR \"Vardelon demo\"");
  EXPECT_EQ(variable(1, u"Grid"), "ARRAY R8 [0:2][0:3] {1, 2, 3, 4, 5, 6}");
  EXPECT_EQ(variable(1, u"Enabled"), "BOOL -1");
  EXPECT_EQ(variable(1, u"speed"), "failed 0x80020006") << "variable names keep their case";
  EXPECT_EQ(variable(2, u"Speed"), "failed 0x80020006");
}

TEST_F(Server, ReadsValuesByNumberInEveryArgumentForm) {
  const std::string expected =
      "ARRAY VARIANT [0:5] {BOOL -1, R8 12.5, EMPTY, EMPTY, BSTR \"Vardelon demo\"}";
  unique_variant vector(numbers({4, 0, 99, -1, 2}));
  EXPECT_EQ(read(u"GetVariableValues", {integer(1), byReference(vector.get())}), expected);
  EXPECT_EQ(variantText(*vector), "ARRAY I4 [0:5] {4, 0, 99, -1, 2}")
      << "the numbers are not changed";

  EXPECT_EQ(read(u"GetVariableValues", {integer(1), numbers({4, 0, 99, -1, 2})}), expected);

  SAFEARRAY* array = V_ARRAY(vector.get());
  VARIANT arrayReference;
  VariantInit(&arrayReference);
  V_VT(&arrayReference) = VT_BYREF | VT_ARRAY | VT_I4;
  V_ARRAYREF(&arrayReference) = &array;
  EXPECT_EQ(read(u"GetVariableValues", {integer(1), arrayReference}), expected);

  EXPECT_EQ(read(u"GetVariableValues", {integer(1), numbers({1, 3}, 5)}),
            "ARRAY VARIANT [0:2] {I4 42, ARRAY R8 [0:2][0:3] {1, 2, 3, 4, 5, 6}}")
      << "any lower bound, elements in index order";
  EXPECT_EQ(read(u"GetVariableValues", {integer(1), numbers({})}), "ARRAY VARIANT [0:0] {}");
}

TEST_F(Server, StoresACopyOfEveryKindOfValue) {
  struct Case {
    int line;
    VARIANT value;
    std::string expected;
  };
  Case cases[] = {
      {__LINE__, real(2.25), "R8 2.25"},
      {__LINE__, integer(-7), "I4 -7"},
      {__LINE__, boolean(false), "BOOL 0"},
      {__LINE__, text(std::u16string_view(u"a\0b", 3)), "BSTR \"a\\0b\""},
      {__LINE__, matrix(VT_R8, 2, 3, {1, 2, 3, 4, 5, 6}), "ARRAY R8 [0:2][0:3] {1, 2, 3, 4, 5, 6}"},
      {__LINE__, matrix(VT_R4, 1, 2, {0.5, -1}), "ARRAY R4 [0:1][0:2] {0.5, -1}"},
      {__LINE__, matrix(VT_I1, 2, 1, {-128, 127}), "ARRAY I1 [0:2][0:1] {-128, 127}"},
      {__LINE__, matrix(VT_I2, 1, 1, {-2}), "ARRAY I2 [0:1][0:1] {-2}"},
      {__LINE__, matrix(VT_I4, 0, 0, {}), "ARRAY I4 [0:0][0:0] {}"},
      {__LINE__, matrix(VT_BOOL, 2, 2, {0, -1, 1, 0}), "ARRAY BOOL [0:2][0:2] {0, -1, 1, 0}"},
  };
  for (Case& row : cases) {
    SCOPED_TRACE(::testing::Message() << "row at line " << row.line);
    unique_variant value(row.value);
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, value.get()), S_OK);
    ASSERT_EQ(call(u"SetVariableValueByName", {integer(6), text(u"v"), copy}), S_OK);
    EXPECT_EQ(variable(6, u"v"), row.expected);
  }
}

TEST_F(Server, KeepsItsCopyWhenTheCallerChangesTheOriginal) {
  unique_variant original(matrix(VT_R8, 1, 2, {1, 2}));
  DISPPARAMS params{nullptr, nullptr, 3, 0};
  VARIANT arguments[3] = {*original, text(u"m"), integer(1)};
  params.rgvarg = arguments;
  ASSERT_EQ(server_->Invoke(id(u"SetVariableValueByName"), IID_NULL, 0x400, DISPATCH_METHOD,
                            &params, nullptr, nullptr, nullptr),
            S_OK);
  VariantClear(&arguments[1]);
  double* data = nullptr;
  SafeArrayAccessData(V_ARRAY(original.get()), reinterpret_cast<void**>(&data));
  data[0] = 99;
  SafeArrayUnaccessData(V_ARRAY(original.get()));
  EXPECT_EQ(variable(1, u"m"), "ARRAY R8 [0:1][0:2] {1, 2}");
}

TEST_F(Server, AddsNewNamesAtTheEndAndKeepsNumbers) {
  ASSERT_EQ(call(u"SetVariableValueByName", {integer(1), text(u"Extra"), integer(5)}), S_OK);
  ASSERT_EQ(call(u"SetVariableValueByName", {integer(1), text(u"Speed"), text(u"fast")}), S_OK);
  EXPECT_EQ(read(u"GetVariableNames", {integer(1)}),
            "ARRAY BSTR [0:6] {\"Speed\", \"Count\", \"Label\", \"Grid\", \"Enabled\", \"Extra\"}");
  EXPECT_EQ(read(u"GetVariableValues", {integer(1), numbers({5, 0})}),
            "ARRAY VARIANT [0:2] {I4 5, BSTR \"fast\"}");
}

TEST_F(Server, StoresAnEmptyValueButNoEmptyName) {
  VARIANT empty;
  VariantInit(&empty);
  EXPECT_EQ(call(u"SetVariableValueByName", {integer(1), text(u"Speed"), empty}), S_OK);
  EXPECT_EQ(variable(1, u"Speed"), "EMPTY");
  EXPECT_EQ(call(u"SetVariableValueByName", {integer(1), text(u""), integer(1)}), E_INVALIDARG);
}

TEST_F(Server, SetsValuesByNumberAllOrNothing) {
  unique_variant numbersVector(numbers({0, 3}));
  unique_variant valuesVector(values({real(1.5), matrix(VT_I4, 1, 2, {7, 8})}));
  EXPECT_EQ(call(u"SetVariableValues",
                 {integer(1), byReference(numbersVector.get()), byReference(valuesVector.get())}),
            S_OK);
  EXPECT_EQ(variable(1, u"Speed"), "R8 1.5");
  EXPECT_EQ(variable(1, u"Grid"), "ARRAY I4 [0:1][0:2] {7, 8}");

  EXPECT_EQ(call(u"SetVariableValues", {integer(1), numbers({1, 2, 4}), values({integer(0)})}),
            E_INVALIDARG)
      << "three numbers, one value";
  EXPECT_EQ(
      call(u"SetVariableValues", {integer(1), numbers({1, 5}), values({integer(0), integer(0)})}),
      DISP_E_BADINDEX)
      << "instance 1 has no variable 5";
  EXPECT_EQ(variable(1, u"Count"), "I4 42");
  EXPECT_EQ(call(u"SetVariableValues", {integer(1), numbers({}), values({})}), S_OK);
}

TEST_F(Server, RecordsChangeNotificationRequests) {
  EXPECT_EQ(call(u"SetVarChangeNotification", {integer(1), text(u"Speed")}), S_OK);
  EXPECT_EQ(call(u"SetVarChangeNotification", {integer(2), text(u"Other")}), S_OK);
  EXPECT_EQ(engineVariable(u"ChangeNotifications"), "BSTR \"1 Speed\\u000A2 Other\\u000A\"");
}

TEST_F(Server, ReadsEngineLevelVariables) {
  EXPECT_EQ(read(u"GetUVOVariableNames"),
            "ARRAY BSTR [0:7] {\"Time\", \"StepSize\", \"Solver\", \"LastError\", \"WindowState\", "
            "\"Visible\", \"ChangeNotifications\"}");
  EXPECT_EQ(engineVariable(u"Solver"), "BSTR \"euler\"");
  EXPECT_EQ(engineVariable(u"Nothing"), "failed 0x80020006");
  unique_variant vector(numbers({1, 7, 0}));
  EXPECT_EQ(read(u"GetUVOVariableValues", {byReference(vector.get())}),
            "ARRAY VARIANT [0:3] {R8 0.01, EMPTY, R8 0}");
}

TEST_F(Server, ExecutesScripts) {
  EXPECT_EQ(call(u"Execute", {text(u"set 9 a 1\nuvo Time 3.5\nset 9 b byte:[[1, -2]]")}), S_OK);
  EXPECT_EQ(exception_, "");
  EXPECT_EQ(variable(9, u"a"), "I4 1");
  EXPECT_EQ(variable(9, u"b"), "ARRAY I1 [0:1][0:2] {1, -2}");
  EXPECT_EQ(engineVariable(u"Time"), "R8 3.5");
  EXPECT_EQ(call(u"Execute", {text(u"")}), S_OK);
  EXPECT_EQ(call(u"Execute", {text(u"uvo Nul \"a\\0b\\u00e9\"")}), S_OK);
  EXPECT_EQ(engineVariable(u"Nul"), "BSTR \"a\\0b\\u00E9\"");
}

// A server object in a folder of its own, for the tests that open files.
class ServerWithFiles : public Server {
 protected:
  std::u16string writeFile(std::string_view name, std::string_view text) {
    const std::filesystem::path file = folder_ / std::string(name);
    std::ofstream(file, std::ios::binary) << text;
    return path(name);
  }
  std::u16string path(std::string_view name) {
    return automation::utf8ToUtf16(folder_.string() + "/" + std::string(name));
  }

  void TearDown() override {
    std::filesystem::remove_all(folder_);
    Server::TearDown();
  }

  std::filesystem::path folder_ = [] {
    auto folder = std::filesystem::path(::testing::TempDir()) /
                  ("simulator-server-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    return folder;
  }();
};

TEST_F(ServerWithFiles, FailedCommandsRaiseAnExceptionThatSaysWhy) {
  const std::string folder = folder_.string();
  writeFile("faulty.model", "var a 1\nvar b int:[[1], [2, 3]]\n");
  writeFile("good.model", "var a 1\n");
  ASSERT_EQ(read(u"Open", {text(path("good.model"))}), "I4 2");
  writeFile("good.model", "var a \"open\n");
  struct Case {
    int line;
    std::u16string_view member;
    std::vector<VARIANT> arguments;
    std::string exception;
  };
  const std::string source = "Vardelon.Application | ";
  const std::string zeroInName = "/good.model" + std::string(1, '\0') + "x";
  Case cases[] = {
      {__LINE__,
       u"Execute",
       {text(u"set 9 a 1\nbogus")},
       source + "line 2: unknown command \"bogus\" | 0x80070057"},
      {__LINE__,
       u"Execute",
       {text(u"var x 1")},
       source +
           "line 1: var sets a variable of the model being loaded, and only a model file has one: "
           "use set <instance> <name> <value> | 0x80070057"},
      {__LINE__,
       u"Execute",
       {text(u"uvo x byte:300")},
       source + "line 1: \"300\" is out of range for byte (-128 to 127) | 0x80070057"},
      {__LINE__,
       u"Execute",
       {text(u"uvo x \"" + std::u16string(kLongestLine, u'\u00e9') + u"\"")},
       source + "line 1: longer than 1048576 bytes | 0x80070057"},
      {__LINE__,
       u"Open",
       {text(path("missing.model"))},
       source + "cannot read " + folder + "/missing.model | 0x80070002"},
      {__LINE__,
       u"Open",
       {text(path("faulty.model"))},
       source + folder +
           "/faulty.model: line 2: the rows of a matrix must have the same length: row 2 has 2, "
           "row 1 has 1 | 0x80070057"},
      {__LINE__,
       u"Open",
       {text(path("good.model") + u'\0' + u"x")},
       source + "cannot read " + folder + zeroInName + " | 0x80070002"},
      {__LINE__,
       u"Reload",
       {integer(2)},
       source + folder + "/good.model: line 1: text without its closing '\"' | 0x80070057"},
  };
  for (Case& row : cases) {
    SCOPED_TRACE(::testing::Message() << "row at line " << row.line);
    unique_variant result;
    EXPECT_EQ(call(row.member, std::move(row.arguments), result.get()), DISP_E_EXCEPTION);
    EXPECT_EQ(exception_, row.exception);
    EXPECT_EQ(V_VT(result.get()), VT_EMPTY);
  }
  EXPECT_EQ(variable(9, u"a"), "failed 0x80020006") << "the faulty script changed nothing";
  EXPECT_EQ(variable(2, u"a"), "I4 1") << "the faulty reload changed nothing";
  EXPECT_EQ(engineVariable(u"LastError"),
            "BSTR \"" + folder + "/good.model: line 1: text without its closing '\\u0022'\"");
}

TEST_F(ServerWithFiles, FailedCommandsNeedNoExceptionRecord) {
  VARIANT argument = text(u"bogus");
  DISPPARAMS params{&argument, nullptr, 1, 0};
  EXPECT_EQ(server_->Invoke(id(u"Execute"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                            nullptr, nullptr, nullptr),
            DISP_E_EXCEPTION);
  VariantClear(&argument);
}

TEST_F(ServerWithFiles, OpensModelsIntoNewInstancesAndReloadsThem) {
  writeFile("modèle.model", "var Mass 1.5\nset 4 Other float:2\n");
  EXPECT_EQ(read(u"Open", {text(path("modèle.model"))}), "I4 2");
  EXPECT_EQ(variable(2, u"Mass"), "R8 1.5");
  EXPECT_EQ(variable(4, u"Other"), "R4 2");
  EXPECT_EQ(read(u"Open", {text(path("modèle.model"))}), "I4 5") << "instance 4 is in use";

  writeFile("modèle.model", "var Mass int:[[2, 5]]\n");
  EXPECT_EQ(call(u"Reload", {integer(2)}), S_OK);
  EXPECT_EQ(variable(2, u"Mass"), "ARRAY I4 [0:1][0:2] {2, 5}");
  EXPECT_EQ(variable(5, u"Mass"), "R8 1.5") << "each instance reloads on its own";
  EXPECT_EQ(call(u"Reload", {integer(3)}), E_INVALIDARG);
  EXPECT_EQ(exception_, "");
  EXPECT_EQ(engineVariable(u"LastError"), "BSTR \"instance 3 was not loaded from a model file\"");
}

TEST_F(Server, PublishesWindowCommands) {
  struct Case {
    std::u16string_view member;
    std::string windowState;
  };
  const Case cases[] = {{u"MaximizeMainWindow", "BSTR \"maximized\""},
                        {u"MinimizeMainWindow", "BSTR \"minimized\""},
                        {u"RestoreMainWindow", "BSTR \"normal\""}};
  for (const Case& row : cases) {
    EXPECT_EQ(call(row.member, {}), S_OK);
    EXPECT_EQ(engineVariable(u"WindowState"), row.windowState);
  }
  EXPECT_EQ(engineVariable(u"Visible"), "BOOL 0");
  EXPECT_EQ(call(u"Show", {}), S_OK);
  EXPECT_EQ(engineVariable(u"Visible"), "BOOL -1");
}

TEST_F(Server, AnswersWithoutAResultPointer) {
  EXPECT_EQ(call(u"GetVariableNames", {integer(1)}, nullptr), S_OK);
  EXPECT_EQ(call(u"Version", {}, nullptr, DISPATCH_PROPERTYGET), S_OK);
  EXPECT_EQ(call(u"GetVariableValues", {integer(1), numbers({0, 1})}, nullptr), S_OK);
}

TEST_F(Server, ObjectsShareTheRunningApplication) {
  IDispatch* second = createServer();
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, server_);
  ASSERT_EQ(call(u"SetVariableValueByName", {integer(1), text(u"Speed"), integer(3)}, nullptr,
                 DISPATCH_METHOD, second),
            S_OK);
  EXPECT_EQ(variable(1, u"Speed"), "I4 3");
  second->Release();
}

TEST_F(Server, QuitEndsTheApplicationForEveryObject) {
  IDispatch* second = createServer();
  ASSERT_NE(second, nullptr);
  ASSERT_EQ(call(u"Execute", {text(u"set 1 Speed 0")}), S_OK);
  EXPECT_EQ(call(u"Quit", {}), S_OK);

  EXPECT_EQ(call(u"Show", {}), kApplicationGone);
  unique_variant result;
  EXPECT_EQ(call(u"Version", {}, result.get(), DISPATCH_PROPERTYGET, second), kApplicationGone);
  second->Release();

  server_->Release();
  server_ = createServer();
  ASSERT_NE(server_, nullptr);
  EXPECT_EQ(variable(1, u"Speed"), "R8 12.5") << "a new application with the demo variables";
}

TEST_F(Server, StartsAfreshOnceEveryClientLetGo) {
  ASSERT_EQ(call(u"Execute", {text(u"set 1 Speed 0")}), S_OK);
  server_->Release();
  server_ = createServer();
  ASSERT_NE(server_, nullptr);
  EXPECT_EQ(variable(1, u"Speed"), "R8 12.5");
}

TEST_F(Server, AnswersOnlyItsOwnInterfaces) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(server_->QueryInterface(IID_IClassFactory, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  IUnknown* unknown = nullptr;
  ASSERT_EQ(server_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  unknown->Release();
  UINT count = 7;
  EXPECT_EQ(server_->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 0u);
}

TEST(ClassObject, MakesServersForItsOwnClassOnly) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(u"Vardelon.Application", &clsid), S_OK);
  IClassFactory* factory = nullptr;
  ASSERT_EQ(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             reinterpret_cast<void**>(&factory)),
            S_OK);
  IUnknown* outer = reinterpret_cast<IUnknown*>(factory);
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  factory->Release();

  CLSID other = clsid;
  other.Data1 ^= 1;
  EXPECT_EQ(CoGetClassObject(other, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             reinterpret_cast<void**>(&factory)),
            REGDB_E_CLASSNOTREG);
  CoUninitialize();
}

// DllCanUnloadNow of the module that class activation loaded.
HRESULT loadedModuleCanUnloadNow() {
  void* module = dlopen("libvardelon_simulator.so", RTLD_NOW | RTLD_NOLOAD);
  if (module == nullptr) return E_UNEXPECTED;
  using CanUnloadNow = HRESULT (*)();
  const auto canUnloadNow = reinterpret_cast<CanUnloadNow>(dlsym(module, "DllCanUnloadNow"));
  const HRESULT hr = canUnloadNow == nullptr ? E_UNEXPECTED : canUnloadNow();
  dlclose(module);
  return hr;
}

TEST(ClassObject, KeepsTheModuleWhileAClientHoldsAnObjectOrALock) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  IDispatch* server = createServer();
  ASSERT_NE(server, nullptr);
  EXPECT_EQ(loadedModuleCanUnloadNow(), S_FALSE);
  server->Release();
  EXPECT_EQ(loadedModuleCanUnloadNow(), S_OK);

  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(u"Vardelon.Application", &clsid), S_OK);
  IClassFactory* factory = nullptr;
  ASSERT_EQ(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             reinterpret_cast<void**>(&factory)),
            S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(loadedModuleCanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(loadedModuleCanUnloadNow(), S_OK);
  factory->Release();
  CoUninitialize();
}

}  // namespace
}  // namespace vardelon::simulator
