// The application commands against a scripted server: what the server
// receives, what Java gets back, and the lines on standard error.
#include <climits>
#include <functional>
#include <string>

#include "answers.h"
#include "described.h"
#include "jni_interposer.h"
#include "server_test.h"

namespace vardelon::testing {
namespace {

#define VL(method) Java_com_mintova_vardelon_VardelonLink_##method

class CommandsTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    ASSERT_TRUE(connect());
  }

  // What version returned, as text; "null" for no string.
  std::string version(std::string* written) {
    jstring returned = nullptr;
    *written = captureStderr([&] { returned = VL(version)(env(), nullptr); });
    return returned == nullptr ? "null" : quotedText(javaString(env(), returned));
  }
};

// ---- version

struct VersionCase {
  int line;
  Answer answer;
  std::string returned;
  std::string written;
};

TEST_F(CommandsTest, VersionGivesTheServersValueAsTextOrAQuestionMark) {
  const VersionCase cases[] = {
      {__LINE__, {S_OK, textVariant(u"4.2")}, R"("4.2")", ""},
      {__LINE__, {S_OK, textVariant(std::u16string(u"4\0b", 3))}, R"("4\0b")", ""},
      {__LINE__, {S_OK, intVariant(42)}, R"("42")", ""},
      {__LINE__, {S_OK, realVariant(2.5)}, R"("2.5")", ""},
      {__LINE__, {S_OK}, R"("")", ""},  // VT_EMPTY coerces to the empty text
      {__LINE__, {DISP_E_EXCEPTION}, R"("?")", "Invoke error 0x80020009\n"},
      // A failed call's value is not coerced.
      {__LINE__, {E_FAIL, textVariant(u"4.2")}, R"("?")", "Invoke error 0x80004005\n"},
      {__LINE__, {S_OK, typedVariant(VT_NULL)}, R"("?")", "VariantChangeType error 0x80020005\n"},
  };
  for (const VersionCase& row : cases) {
    SCOPED_TRACE(::testing::Message() << "line " << row.line);
    server.reset();
    server.answer(ServerMember::Version, row.answer);

    std::string written;
    EXPECT_EQ(version(&written), row.returned);

    EXPECT_EQ(written, row.written);
    EXPECT_EQ(callTexts(server), std::vector<std::string>{"Version PROPERTYGET 0x400 () result"});
  }
}

TEST_F(CommandsTest, VersionGivesNullWhenTheJvmCannotMakeTheString) {
  server.answer(ServerMember::Version, {S_OK, textVariant(u"4.2")});
  std::string written;
  {
    JniFailure<&JNINativeInterface_::NewString> failure;
    EXPECT_EQ(version(&written), "null");
    EXPECT_EQ(failure.calls(), 1);
  }
  EXPECT_TRUE(takePendingException(env()));
  EXPECT_EQ(written, "");
}

// ---- execute, open, reload

struct TextCase {
  int line;
  std::u16string text;
  Answer answer;
  std::string sent;
  jint opened;  // what open returns
  std::string written;
};

// Built anew for each test: the answers hold BSTRs that must not outlive it.
std::vector<TextCase> textCases() {
  return {
      {__LINE__, u"run Kessel", {S_OK, intVariant(7)}, R"(BSTR "run Kessel")", 7, ""},
      {__LINE__, u"", {S_OK, intVariant(0)}, R"(BSTR "")", 0, ""},  // empty, not null
      {__LINE__, std::u16string(u"ab\0cd", 5), {S_OK, intVariant(1)}, R"(BSTR "ab")", 1, ""},
      {__LINE__, u"\u00e9t\u00e9", {S_OK, intVariant(1)}, R"(BSTR "\u00E9t\u00E9")", 1, ""},
      {__LINE__, u"x", {S_OK, intVariant(-1)}, R"(BSTR "x")", -1, ""},
      {__LINE__, u"x", {S_OK, textVariant(u"12")}, R"(BSTR "x")", 12, ""},
      {__LINE__, u"x", {S_OK, realVariant(2.5)}, R"(BSTR "x")", 2, ""},  // banker's rounding
      {__LINE__, u"x", {S_OK}, R"(BSTR "x")", 0, ""},                    // VT_EMPTY coerces to 0
      // An answer that is no integer, or a failed call, gives -1.
      {__LINE__, u"x", {S_OK, textVariant(u"abc")}, R"(BSTR "x")", -1, ""},
      {__LINE__, u"x", {S_OK, typedVariant(VT_NULL)}, R"(BSTR "x")", -1, ""},
      {__LINE__,
       u"x",
       {S_OK, arrayVariant(VT_ARRAY | VT_I4, intVector(0, {4}))},
       R"(BSTR "x")",
       -1,
       ""},
      {__LINE__, u"x", {DISP_E_EXCEPTION}, R"(BSTR "x")", -1, "Invoke error 0x80020009\n"},
      {__LINE__, u"x", {E_FAIL, intVariant(5)}, R"(BSTR "x")", -1, "Invoke error 0x80004005\n"},
  };
}

TEST_F(CommandsTest, ExecuteSendsTheTextAndReportsAFailedCall) {
  for (const TextCase& row : textCases()) {
    SCOPED_TRACE(::testing::Message() << "line " << row.line);
    server.reset();
    server.answer(ServerMember::Execute, row.answer);

    const std::string written = captureStderr([&] {
      VL(execute)
      (env(), nullptr, newJavaString(env(), row.text));
    });

    EXPECT_EQ(written, row.written);
    EXPECT_EQ(callTexts(server),
              std::vector<std::string>{"Execute METHOD 0x400 (" + row.sent + ") no result"});
  }
}

TEST_F(CommandsTest, OpenSendsTheTextAndGivesTheAnswerAsAnInteger) {
  for (const TextCase& row : textCases()) {
    SCOPED_TRACE(::testing::Message() << "line " << row.line);
    server.reset();
    server.answer(ServerMember::Open, row.answer);

    jint opened = 0;
    const std::string written =
        captureStderr([&] { opened = VL(open)(env(), nullptr, newJavaString(env(), row.text)); });

    EXPECT_EQ(opened, row.opened);
    EXPECT_EQ(written, row.written);
    EXPECT_EQ(callTexts(server),
              std::vector<std::string>{"Open METHOD 0x400 (" + row.sent + ") result"});
  }
}

TEST_F(CommandsTest, ReloadSendsTheNumberUnchanged) {
  const struct {
    int line;
    jint number;
    HRESULT answer;
    std::string written;
  } cases[] = {
      {__LINE__, -5, S_OK, ""},
      {__LINE__, 0, S_OK, ""},
      {__LINE__, INT_MAX, S_OK, ""},
      {__LINE__, INT_MIN, S_OK, ""},
      {__LINE__, 3, DISP_E_EXCEPTION, "Invoke error 0x80020009\n"},
      {__LINE__, 3, E_INVALIDARG, "Invoke error 0x80070057\n"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(::testing::Message() << "line " << row.line);
    server.reset();
    server.answer(ServerMember::Reload, {row.answer});

    const std::string written = captureStderr([&] { VL(reload)(env(), nullptr, row.number); });

    EXPECT_EQ(written, row.written);
    EXPECT_EQ(callTexts(server),
              std::vector<std::string>{"Reload METHOD 0x400 (I4 " + std::to_string(row.number) +
                                       ") no result"});
  }
}

TEST_F(CommandsTest, ANullTextMakesNoCall) {
  std::string written = captureStderr([&] { VL(execute)(env(), nullptr, nullptr); });
  EXPECT_EQ(written, "");
  jint opened = 0;
  written = captureStderr([&] { opened = VL(open)(env(), nullptr, nullptr); });
  EXPECT_EQ(opened, -1);
  EXPECT_EQ(written, "");
  EXPECT_TRUE(server.calls().empty());
}

TEST_F(CommandsTest, TextThatTheJvmCannotHandOverMakesNoCall) {
  jstring text = newJavaString(env(), u"run");
  {
    JniFailure<&JNINativeInterface_::GetStringChars> failure;
    VL(execute)(env(), nullptr, text);
    EXPECT_EQ(failure.calls(), 1);
  }
  EXPECT_TRUE(takePendingException(env()));
  {
    JniFailure<&JNINativeInterface_::GetStringChars> failure;
    EXPECT_EQ(VL(open)(env(), nullptr, text), -1);
    EXPECT_EQ(failure.calls(), 1);
  }
  EXPECT_TRUE(takePendingException(env()));
  EXPECT_TRUE(server.calls().empty());
}

// ---- window commands and quit

struct WindowCommand {
  const char* method;
  void (*call)(JNIEnv*, jobject);
  ServerMember member;
  const char* sent;
};

const WindowCommand kWindowCommands[] = {
    {"maximize", VL(maximize), ServerMember::MaximizeMainWindow,
     "MaximizeMainWindow METHOD 0x400 () no result"},
    {"minimize", VL(minimize), ServerMember::MinimizeMainWindow,
     "MinimizeMainWindow METHOD 0x400 () no result"},
    {"restoreSize", VL(restoreSize), ServerMember::RestoreMainWindow,
     "RestoreMainWindow METHOD 0x400 () no result"},
    {"show", VL(show), ServerMember::Show, "Show METHOD 0x400 () no result"},
};

TEST_F(CommandsTest, WindowCommandsSendTheirMemberAndIgnoreItsOutcome) {
  for (const WindowCommand& command : kWindowCommands) {
    for (const HRESULT answer : {S_OK, E_FAIL, DISP_E_EXCEPTION}) {
      SCOPED_TRACE(::testing::Message() << command.method << " answered " << std::hex << answer);
      server.reset();
      server.answer(command.member, {answer});

      const std::string written = captureStderr([&] { command.call(env(), nullptr); });

      EXPECT_EQ(written, "");
      EXPECT_EQ(callTexts(server), std::vector<std::string>{command.sent});
      EXPECT_TRUE(VL(isConnected)(env(), nullptr));
    }
  }
}

TEST_F(CommandsTest, QuitEndsTheConnectionAndGivesBothReferencesBackWhateverTheServerSays) {
  for (const HRESULT answer : {S_OK, E_FAIL, static_cast<HRESULT>(0x800706BA)}) {
    SCOPED_TRACE(::testing::Message() << "Quit answered " << std::hex << answer);
    if (!VL(isConnected)(env(), nullptr)) {
      ASSERT_TRUE(connect());
    }
    const std::size_t object = server.objects().size() - 1;
    server.reset();
    server.answer(ServerMember::Quit, {answer});

    const std::string written = captureStderr([&] { VL(quit)(env(), nullptr); });

    EXPECT_EQ(written, "");
    EXPECT_EQ(callTexts(server), std::vector<std::string>{"Quit METHOD 0x400 () no result"});
    EXPECT_EQ(server.calls().at(0).object, object);
    EXPECT_FALSE(VL(isConnected)(env(), nullptr));
    const ObjectCounts counts = server.objects().at(object);
    EXPECT_EQ(counts.references, 0);
    EXPECT_EQ(counts.unknownReferences, 0) << "given back through the pointer it came with";
    EXPECT_EQ(counts.dispatchReferences, 0) << "given back through the pointer it came with";
  }
}

TEST_F(CommandsTest, AfterQuitNothingReachesTheServerAndConnectStartsAfresh) {
  VL(quit)(env(), nullptr);
  server.reset();

  VL(quit)(env(), nullptr);
  VL(show)(env(), nullptr);
  EXPECT_TRUE(server.calls().empty());
  EXPECT_EQ(server.objects().at(0).releases, 2) << "a second quit releases nothing";

  ASSERT_TRUE(connect());
  ASSERT_EQ(server.objects().size(), 2u);
  VL(show)(env(), nullptr);
  ASSERT_EQ(server.calls().size(), 1u);
  EXPECT_EQ(server.calls()[0].object, 1u);
}

#undef VL

}  // namespace
}  // namespace vardelon::testing
