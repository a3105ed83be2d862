// The application commands: version, execute, open, reload, the four window
// commands and quit. Each is one call to its member; only version and open
// hand a value back, and only quit changes the connection.
#include "com_mintova_vardelon_VardelonLink.h"
#include "link/arguments.h"
#include "link/connection.h"
#include "link/diagnostic.h"
#include "link/holders.h"
#include "link/invoke.h"
#include "link/text.h"

namespace vardelon {
namespace {

// Sends `text` to a member that takes one text argument. False, with no
// call, when there is no text (a null string, or a Java exception pending).
bool sendText(JNIEnv* env, ServerMember member, jstring text, VARIANT* result) {
  unique_bstr bstr(javaStringToBstr(env, text));
  if (!bstr) return false;
  HRESULT called = invokeMember(member, {textArgument(bstr.get())}, result);
  if (FAILED(called)) reportDiagnostic("Invoke error 0x%x\n", static_cast<unsigned>(called));
  return SUCCEEDED(called);
}

// The window commands ignore their outcome and write nothing.
void sendWindowCommand(ServerMember member) {
  if (!serverConnected) return;
  invokeMember(member, {}, nullptr);
}

}  // namespace
}  // namespace vardelon

using namespace vardelon;

extern "C" {

JNIEXPORT jstring JNICALL Java_com_mintova_vardelon_VardelonLink_version(JNIEnv* env, jobject) {
  const auto unknown = [env] { return env->NewStringUTF("?"); };
  if (!serverConnected) return unknown();
  unique_variant result;
  HRESULT called = invokeMember(ServerMember::Version, {}, result.get());
  if (FAILED(called)) {
    reportDiagnostic("Invoke error 0x%x\n", static_cast<unsigned>(called));
    return unknown();
  }
  HRESULT coerced = VariantChangeType(result.get(), result.get(), 0, VT_BSTR);
  if (FAILED(coerced)) {
    reportDiagnostic("VariantChangeType error 0x%x\n", static_cast<unsigned>(coerced));
    return unknown();
  }
  return bstrToJavaString(env, V_BSTR(result.get()));
}

JNIEXPORT void JNICALL Java_com_mintova_vardelon_VardelonLink_execute(JNIEnv* env, jobject,
                                                                      jstring text) {
  if (!serverConnected) return;
  sendText(env, ServerMember::Execute, text, nullptr);
}

// -1 unless the server answered with something that coerces to an integer:
// no connection, no text, a failed call or an uncoercible answer alike.
JNIEXPORT jint JNICALL Java_com_mintova_vardelon_VardelonLink_open(JNIEnv* env, jobject,
                                                                   jstring text) {
  constexpr jint kNoAnswer = -1;
  if (!serverConnected) return kNoAnswer;
  unique_variant result;
  if (!sendText(env, ServerMember::Open, text, result.get())) return kNoAnswer;
  if (FAILED(VariantChangeType(result.get(), result.get(), 0, VT_I4))) return kNoAnswer;
  return V_I4(result.get());
}

JNIEXPORT void JNICALL Java_com_mintova_vardelon_VardelonLink_reload(JNIEnv*, jobject,
                                                                     jint number) {
  if (!serverConnected) return;
  HRESULT called = invokeMember(ServerMember::Reload, {integerArgument(number)}, nullptr);
  if (FAILED(called)) reportDiagnostic("Invoke error 0x%x\n", static_cast<unsigned>(called));
}

JNIEXPORT void JNICALL Java_com_mintova_vardelon_VardelonLink_maximize(JNIEnv*, jobject) {
  sendWindowCommand(ServerMember::MaximizeMainWindow);
}

JNIEXPORT void JNICALL Java_com_mintova_vardelon_VardelonLink_minimize(JNIEnv*, jobject) {
  sendWindowCommand(ServerMember::MinimizeMainWindow);
}

JNIEXPORT void JNICALL Java_com_mintova_vardelon_VardelonLink_restoreSize(JNIEnv*, jobject) {
  sendWindowCommand(ServerMember::RestoreMainWindow);
}

JNIEXPORT void JNICALL Java_com_mintova_vardelon_VardelonLink_show(JNIEnv*, jobject) {
  sendWindowCommand(ServerMember::Show);
}

// Whatever the server makes of Quit, the connection ends here, with both
// references on the server object given back as disconnect does.
JNIEXPORT void JNICALL Java_com_mintova_vardelon_VardelonLink_quit(JNIEnv*, jobject) {
  if (!serverConnected) return;
  invokeMember(ServerMember::Quit, {}, nullptr);
  endConnection();
}

}  // extern "C"
