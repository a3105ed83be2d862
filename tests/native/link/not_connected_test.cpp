// Every native method while there is no connection: its neutral value, its
// one line or none, and no call to the server whatever its arguments.
#include <functional>
#include <optional>
#include <string>

#include "server_test.h"

namespace vardelon::testing {
namespace {

std::string described(jboolean value) {
  return value ? "true" : "false";
}
std::string described(jint value) {
  return std::to_string(value);
}

std::string described(JNIEnv* env, jobject value) {
  if (value == nullptr) return "null";
  if (!env->IsInstanceOf(value, env->FindClass("java/lang/String"))) return "object";
  const char* text = env->GetStringUTFChars(static_cast<jstring>(value), nullptr);
  std::string quoted = "\"" + std::string(text) + "\"";
  env->ReleaseStringUTFChars(static_cast<jstring>(value), text);
  return quoted;
}

constexpr const char* kNotConnected = "Not connected to Vardelon\n";

struct Disconnected {
  int line;
  const char* method;
  std::function<std::string(JNIEnv*)> call;  // with null or zero arguments; what it returned
  std::string returned;                      // "" for void
  std::string written;
};

#define VL(method) Java_com_mintova_vardelon_VardelonLink_##method

const Disconnected kDisconnected[] = {
    {__LINE__, "connect", [](JNIEnv* e) { return described(VL(connect)(e, nullptr)); }, "false",
     ""},
    {__LINE__, "disconnect", [](JNIEnv* e) { return VL(disconnect)(e, nullptr), ""; }, "", ""},
    {__LINE__, "isConnected", [](JNIEnv* e) { return described(VL(isConnected)(e, nullptr)); },
     "false", ""},
    {__LINE__, "version", [](JNIEnv* e) { return described(e, VL(version)(e, nullptr)); }, "\"?\"",
     ""},
    {__LINE__, "execute", [](JNIEnv* e) { return VL(execute)(e, nullptr, nullptr), ""; }, "", ""},
    {__LINE__, "open", [](JNIEnv* e) { return described(VL(open)(e, nullptr, nullptr)); }, "-1",
     ""},
    {__LINE__, "reload", [](JNIEnv* e) { return VL(reload)(e, nullptr, 0), ""; }, "", ""},
    {__LINE__, "maximize", [](JNIEnv* e) { return VL(maximize)(e, nullptr), ""; }, "", ""},
    {__LINE__, "minimize", [](JNIEnv* e) { return VL(minimize)(e, nullptr), ""; }, "", ""},
    {__LINE__, "restoreSize", [](JNIEnv* e) { return VL(restoreSize)(e, nullptr), ""; }, "", ""},
    {__LINE__, "show", [](JNIEnv* e) { return VL(show)(e, nullptr), ""; }, "", ""},
    {__LINE__, "quit", [](JNIEnv* e) { return VL(quit)(e, nullptr), ""; }, "", ""},
    {__LINE__, "variableNames",
     [](JNIEnv* e) { return described(e, VL(variableNames)(e, nullptr, 0)); }, "null", ""},
    {__LINE__, "variableValue",
     [](JNIEnv* e) { return described(e, VL(variableValue)(e, nullptr, 0, nullptr)); }, "null",
     kNotConnected},
    {__LINE__, "variableValues",
     [](JNIEnv* e) { return described(e, VL(variableValues)(e, nullptr, 0, nullptr)); }, "null",
     kNotConnected},
    {__LINE__, "setVariableValue",
     [](JNIEnv* e) { return VL(setVariableValue)(e, nullptr, 0, nullptr, nullptr), ""; }, "",
     kNotConnected},
    {__LINE__, "setVariableValues",
     [](JNIEnv* e) { return VL(setVariableValues)(e, nullptr, 0, nullptr, nullptr), ""; }, "",
     kNotConnected},
    {__LINE__, "setVariableChangeNotification",
     [](JNIEnv* e) { return VL(setVariableChangeNotification)(e, nullptr, 0, nullptr), ""; }, "",
     kNotConnected},
    {__LINE__, "uvoVariableNames",
     [](JNIEnv* e) { return described(e, VL(uvoVariableNames)(e, nullptr)); }, "null", ""},
    {__LINE__, "uvoVariableValue",
     [](JNIEnv* e) { return described(e, VL(uvoVariableValue)(e, nullptr, nullptr)); }, "null",
     kNotConnected},
    {__LINE__, "uvoVariableValues",
     [](JNIEnv* e) { return described(e, VL(uvoVariableValues)(e, nullptr, nullptr)); }, "null",
     kNotConnected},
};

#undef VL

using NotConnectedTest = ServerTest;

// After a connection has ended, the library still holds the old server's
// (now released) pointer: a method that called anyway would reach the
// scripted object and be recorded. connect finds nothing registered, so it
// stays down too.
TEST_F(NotConnectedTest, EveryMethodGivesItsNeutralValueAndCallsNothing) {
  ASSERT_TRUE(connect());
  disconnect();
  TemporaryRegistry nothingRegistered;

  for (const Disconnected& row : kDisconnected) {
    SCOPED_TRACE(::testing::Message() << row.method << " (line " << row.line << ")");
    const std::size_t calls = server.calls().size();
    const std::size_t lookups = server.lookups().size();
    const ObjectCounts counts = server.objects().at(0);
    std::string returned;
    const std::string written = captureStderr([&] { returned = row.call(env()); });

    EXPECT_EQ(returned, row.returned);
    EXPECT_EQ(written, row.written);
    EXPECT_FALSE(env()->ExceptionCheck());
    EXPECT_EQ(server.calls().size(), calls);
    EXPECT_EQ(server.lookups().size(), lookups);
    EXPECT_EQ(server.objects().size(), 1u);
    EXPECT_EQ(server.objects()[0].addRefs, counts.addRefs);
    EXPECT_EQ(server.objects()[0].releases, counts.releases);
    EXPECT_FALSE(Java_com_mintova_vardelon_VardelonLink_isConnected(env(), nullptr));
  }
}

}  // namespace
}  // namespace vardelon::testing
