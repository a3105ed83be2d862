#include "described.h"

#include <sstream>

namespace vardelon::testing {
namespace {

jclass classOf(JNIEnv* env, const char* name) {
  return env->FindClass(name);
}

}  // namespace

std::string argumentText(const RecordedArgument& argument) {
  if (argument.value.type() != (VT_BYREF | VT_VARIANT)) return variantText(*argument.value.get());
  return "BYREF " + variantText(*argument.referenced.get());
}

std::vector<std::string> argumentTexts(const RecordedCall& call) {
  std::vector<std::string> texts;
  for (const RecordedArgument& argument : call.arguments) texts.push_back(argumentText(argument));
  return texts;
}

std::string callText(const RecordedCall& call) {
  std::ostringstream text;
  if (call.member) {
    const std::u16string name = ScriptedServer::memberName(*call.member);
    text << std::string(name.begin(), name.end());
  } else {
    text << "DISPID " << call.dispId << "!";
  }
  switch (call.flags) {
    case DISPATCH_METHOD:
      text << " METHOD";
      break;
    case DISPATCH_PROPERTYGET:
      text << " PROPERTYGET";
      break;
    default:
      text << " flags " << call.flags << "!";
  }
  text << " 0x" << std::hex << call.locale << std::dec << " (";
  const std::vector<std::string> arguments = argumentTexts(call);
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    text << (index > 0 ? ", " : "") << arguments[index];
  }
  text << ")" << (call.resultNull ? " no result" : " result");
  if (!(call.riid == IID_NULL)) text << " riid!";
  if (call.namedArgumentCount != 0 || !call.namedArgumentsNull) text << " named arguments!";
  if (call.argumentsNull != (call.argumentCount == 0) || arguments.size() != call.argumentCount) {
    text << " cArgs " << call.argumentCount << "!";
  }
  if (!call.exceptionGiven || !call.argumentErrorGiven) text << " no exception record!";
  return text.str();
}

std::vector<std::string> callTexts(const ScriptedServer& server) {
  std::vector<std::string> texts;
  for (const RecordedCall& call : server.calls()) texts.push_back(callText(call));
  return texts;
}

std::string javaText(JNIEnv* env, jobject value) {
  if (value == nullptr) return "null";
  if (env->IsInstanceOf(value, classOf(env, "java/lang/String"))) {
    return "java.lang.String " + quotedText(javaString(env, static_cast<jstring>(value)));
  }
  jclass arrays = classOf(env, "java/util/Arrays");
  jmethodID deepToString =
      env->GetStaticMethodID(arrays, "deepToString", "([Ljava/lang/Object;)Ljava/lang/String;");
  jobjectArray boxed = env->NewObjectArray(1, classOf(env, "java/lang/Object"), value);
  const std::u16string inBrackets = javaString(
      env, static_cast<jstring>(env->CallStaticObjectMethod(arrays, deepToString, boxed)));
  jmethodID getName =
      env->GetMethodID(classOf(env, "java/lang/Class"), "getName", "()Ljava/lang/String;");
  const std::u16string className = javaString(
      env, static_cast<jstring>(env->CallObjectMethod(env->GetObjectClass(value), getName)));
  const std::u16string shown = className + u" " + inBrackets.substr(1, inBrackets.size() - 2);
  return std::string(shown.begin(), shown.end());
}

std::u16string javaString(JNIEnv* env, jstring text) {
  const jsize length = env->GetStringLength(text);
  std::u16string units(static_cast<std::size_t>(length), u'\0');
  env->GetStringRegion(text, 0, length, reinterpret_cast<jchar*>(units.data()));
  return units;
}

jstring newJavaString(JNIEnv* env, std::u16string_view text) {
  return env->NewString(reinterpret_cast<const jchar*>(text.data()),
                        static_cast<jsize>(text.size()));
}

}  // namespace vardelon::testing
