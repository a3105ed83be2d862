// The one helper that calls the server: the exact shape of every Invoke.
#include "link/invoke.h"
#include "link/arguments.h"
#include "link/holders.h"
#include "server_test.h"

namespace vardelon::testing {
namespace {

constexpr LCID kLocale = 0x400;

class InvokeTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    ASSERT_TRUE(connect());
  }

  // The one call the server saw.
  RecordedCall onlyCall() {
    const std::vector<RecordedCall> calls = server.calls();
    EXPECT_EQ(calls.size(), 1u);
    return calls.empty() ? RecordedCall{} : calls.front();
  }
};

// What every call carries whatever the member.
void expectConstantParts(const RecordedCall& call, ServerMember member) {
  EXPECT_EQ(call.object, 0u);
  EXPECT_EQ(call.member, member);
  EXPECT_EQ(call.dispId, ScriptedServer::dispIdOf(member));
  EXPECT_TRUE(call.riid == IID_NULL);
  EXPECT_EQ(call.locale, kLocale);
  EXPECT_EQ(call.namedArgumentCount, 0u);
  EXPECT_TRUE(call.namedArgumentsNull);
  EXPECT_TRUE(call.exceptionGiven);
  EXPECT_TRUE(call.argumentErrorGiven);
}

TEST_F(InvokeTest, AMemberWithoutArgumentsGetsAllFourFieldsZero) {
  for (std::size_t index = 0; index < kServerMemberCount; ++index) {
    const auto member = static_cast<ServerMember>(index);
    SCOPED_TRACE(::testing::PrintToString(member));
    server.reset();

    EXPECT_EQ(invokeMember(member, {}, nullptr), S_OK);

    const RecordedCall call = onlyCall();
    expectConstantParts(call, member);
    const WORD flags = member == ServerMember::Version ? DISPATCH_PROPERTYGET : DISPATCH_METHOD;
    EXPECT_EQ(call.flags, flags);
    EXPECT_EQ(call.argumentCount, 0u);
    EXPECT_TRUE(call.argumentsNull);
    EXPECT_TRUE(call.resultNull);
    EXPECT_TRUE(call.arguments.empty());
  }
}

TEST_F(InvokeTest, ArgumentsGoLastFirst) {
  unique_bstr name(SysAllocString(OLESTR("Druck")));
  VARIANT value{};
  V_VT(&value) = VT_R8;
  V_R8(&value) = 2.5;

  EXPECT_EQ(invokeMember(ServerMember::SetVariableValueByName,
                         {integerArgument(7), textArgument(name.get()), value}, nullptr),
            S_OK);

  const RecordedCall call = onlyCall();
  expectConstantParts(call, ServerMember::SetVariableValueByName);
  EXPECT_EQ(call.flags, DISPATCH_METHOD);
  EXPECT_EQ(call.argumentCount, 3u);
  EXPECT_FALSE(call.argumentsNull);
  EXPECT_TRUE(call.resultNull);
  // Recorded in the member's order: rgvarg[2], rgvarg[1], rgvarg[0].
  ASSERT_EQ(call.arguments.size(), 3u);
  EXPECT_EQ(call.arguments[0].value.type(), VT_I4);
  EXPECT_EQ(V_I4(call.arguments[0].value.get()), 7);
  EXPECT_EQ(call.arguments[1].value.type(), VT_BSTR);
  EXPECT_EQ(std::u16string(V_BSTR(call.arguments[1].value.get())), u"Druck");
  EXPECT_EQ(call.arguments[2].value.type(), VT_R8);
  EXPECT_EQ(V_R8(call.arguments[2].value.get()), 2.5);
}

TEST_F(InvokeTest, ResultGoesWhereTheCallerSaysAndTheServersCodeComesBack) {
  server.answer(ServerMember::Version, {S_OK, textVariant(u"4.2")});
  server.answer(ServerMember::Open, {DISP_E_TYPEMISMATCH});

  unique_variant version;
  EXPECT_EQ(invokeMember(ServerMember::Version, {}, version.get()), S_OK);
  unique_variant opened;
  EXPECT_EQ(invokeMember(ServerMember::Open, {integerArgument(1)}, opened.get()),
            DISP_E_TYPEMISMATCH);

  ASSERT_EQ(V_VT(version.get()), VT_BSTR);
  EXPECT_EQ(std::u16string(V_BSTR(version.get())), u"4.2");
  EXPECT_EQ(V_VT(opened.get()), VT_EMPTY);
  const std::vector<RecordedCall> calls = server.calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_FALSE(calls[0].resultNull);
  EXPECT_EQ(calls[0].flags, DISPATCH_PROPERTYGET);
  EXPECT_FALSE(calls[1].resultNull);
  EXPECT_EQ(calls[1].flags, DISPATCH_METHOD);
}

TEST_F(InvokeTest, AByReferenceArgumentDesignatesTheCallersVariant) {
  SAFEARRAY* numbers = SafeArrayCreateVector(VT_I4, 0, 3);
  ASSERT_NE(numbers, nullptr);
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(numbers, &data), S_OK);
  const LONG values[] = {3, 5, 8};
  std::copy(std::begin(values), std::end(values), static_cast<LONG*>(data));
  SafeArrayUnaccessData(numbers);
  unique_variant vector;
  V_VT(vector.get()) = VT_ARRAY | VT_I4;
  V_ARRAY(vector.get()) = numbers;

  invokeMember(ServerMember::GetVariableValues, {integerArgument(1), byReference(*vector)},
               nullptr);

  const RecordedCall call = onlyCall();
  ASSERT_EQ(call.arguments.size(), 2u);
  const RecordedArgument& byRef = call.arguments[1];
  EXPECT_EQ(byRef.value.type(), VT_BYREF | VT_VARIANT);
  EXPECT_EQ(V_VARIANTREF(byRef.value.get()), vector.get());
  ASSERT_EQ(byRef.referenced.type(), VT_ARRAY | VT_I4);
  SAFEARRAY* seen = V_ARRAY(byRef.referenced.get());
  EXPECT_NE(seen, numbers) << "the record keeps a copy of its own";
  ASSERT_EQ(SafeArrayAccessData(seen, &data), S_OK);
  EXPECT_EQ(std::vector(static_cast<LONG*>(data), static_cast<LONG*>(data) + 3),
            std::vector(std::begin(values), std::end(values)));
  SafeArrayUnaccessData(seen);
}

TEST_F(InvokeTest, TextsLeftInTheExceptionRecordAreFreed) {
  server.answer(
      ServerMember::Reload,
      {DISP_E_EXCEPTION, {}, ExceptionTexts{u"Vardelon", u"No such instance", u"help.chm"}});
  const LONG before = AutomationLiveBstrCount();

  EXPECT_EQ(invokeMember(ServerMember::Reload, {integerArgument(9)}, nullptr), DISP_E_EXCEPTION);

  EXPECT_EQ(AutomationLiveBstrCount(), before);
  EXPECT_TRUE(onlyCall().exceptionGiven);
}

}  // namespace
}  // namespace vardelon::testing
