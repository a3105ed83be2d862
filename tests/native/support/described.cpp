#include "described.h"

#include <cstdio>
#include <sstream>

namespace vardelon::testing {
namespace {

std::string typeName(VARTYPE type) {
  switch (type) {
    case VT_EMPTY:
      return "EMPTY";
    case VT_NULL:
      return "NULL";
    case VT_I1:
      return "I1";
    case VT_I2:
      return "I2";
    case VT_I4:
      return "I4";
    case VT_R4:
      return "R4";
    case VT_R8:
      return "R8";
    case VT_BOOL:
      return "BOOL";
    case VT_BSTR:
      return "BSTR";
    case VT_VARIANT:
      return "VARIANT";
    default:
      return "VT " + std::to_string(type);
  }
}

template <typename Number>
std::string number(Number value) {
  std::ostringstream out;
  out << +value;
  return out.str();
}

// The element of `type` stored at `data`, without its type name for scalars.
std::string elementText(VARTYPE type, const void* data) {
  switch (type) {
    case VT_I1:
      return number(*static_cast<const CHAR*>(data));
    case VT_I2:
      return number(*static_cast<const SHORT*>(data));
    case VT_I4:
      return number(*static_cast<const LONG*>(data));
    case VT_R4:
      return number(*static_cast<const FLOAT*>(data));
    case VT_R8:
      return number(*static_cast<const DOUBLE*>(data));
    case VT_BOOL:
      return number(*static_cast<const VARIANT_BOOL*>(data));
    case VT_BSTR: {
      const BSTR text = *static_cast<const BSTR*>(data);
      return text == nullptr ? "null" : quotedText({text, SysStringLen(text)});
    }
    case VT_VARIANT:
      return variantText(*static_cast<const VARIANT*>(data));
    default:
      return "?";
  }
}

std::string arrayText(VARTYPE elementType, SAFEARRAY* array) {
  std::string text = "ARRAY " + typeName(elementType);
  if (array == nullptr) return text + " null";
  text += " ";
  std::size_t count = 1;
  for (UINT dimension = 1; dimension <= SafeArrayGetDim(array); ++dimension) {
    const SAFEARRAYBOUND& bound = array->rgsabound[array->cDims - dimension];
    text += "[" + std::to_string(bound.lLbound) + ":" + std::to_string(bound.cElements) + "]";
    count *= bound.cElements;
  }
  text += " {";
  const auto* data = static_cast<const unsigned char*>(array->pvData);
  for (std::size_t index = 0; index < count; ++index) {
    if (index > 0) text += ", ";
    text += elementText(elementType, data + index * array->cbElements);
  }
  return text + "}";
}

jclass classOf(JNIEnv* env, const char* name) {
  return env->FindClass(name);
}

}  // namespace

std::string quotedText(std::u16string_view text) {
  std::string out = "\"";
  for (const char16_t unit : text) {
    if (unit == 0) {
      out += "\\0";
    } else if (unit >= 0x20 && unit < 0x7f && unit != '"' && unit != '\\') {
      out += static_cast<char>(unit);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(unit));
      out += escaped;
    }
  }
  return out + "\"";
}

std::string variantText(const VARIANT& value) {
  const VARTYPE type = V_VT(&value);
  if (type & VT_ARRAY) return arrayText(type & VT_TYPEMASK, V_ARRAY(&value));
  switch (type) {
    case VT_EMPTY:
    case VT_NULL:
      return typeName(type);
    case VT_I1:
      return "I1 " + elementText(type, &V_I1(&value));
    case VT_I2:
      return "I2 " + elementText(type, &V_I2(&value));
    case VT_I4:
      return "I4 " + elementText(type, &V_I4(&value));
    case VT_R4:
      return "R4 " + elementText(type, &V_R4(&value));
    case VT_R8:
      return "R8 " + elementText(type, &V_R8(&value));
    case VT_BOOL:
      return "BOOL " + elementText(type, &V_BOOL(&value));
    case VT_BSTR:
      return "BSTR " + elementText(type, &V_BSTR(&value));
    case VT_BYREF | VT_VARIANT:
      return "BYREF VARIANT";
    default:
      return typeName(type);
  }
}

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
