#include "described.h"

#include <cstdio>
#include <cstring>

namespace vardelon::wine {
namespace {

template <typename Unit>
std::string escaped(std::basic_string_view<Unit> units) {
  std::string text;
  for (const Unit unit : units) {
    const auto code = static_cast<unsigned>(static_cast<std::make_unsigned_t<Unit>>(unit));
    if (code == '\n') {
      text += "\\n";
    } else if (code == '\r') {
      text += "\\r";
    } else if (code >= 0x20 && code < 0x7F && code != '\\') {
      text += static_cast<char>(code);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", code);
      text += escape;
    }
  }
  return text;
}

}  // namespace

std::string printable(std::u16string_view text) {
  return escaped(text);
}

std::string printable(std::string_view bytes) {
  return escaped(bytes);
}

std::string printable(const wchar_t* text) {
  return escaped(std::wstring_view(text));
}

std::string described(jboolean value) {
  return value ? "true" : "false";
}

std::string described(jint value) {
  return std::to_string(value);
}

std::string describedResult(HRESULT value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(value));
  return text;
}

namespace {

// Java's name of a primitive type, by its JNI letter.
const char* primitiveName(char type) {
  switch (type) {
    case 'B':
      return "byte";
    case 'S':
      return "short";
    case 'I':
      return "int";
    case 'F':
      return "float";
    case 'D':
      return "double";
    case 'Z':
      return "boolean";
  }
  return "?";
}

std::string number(const char* format, double value) {
  char text[40];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Element `index` of a primitive array of `type`, as Java source writes it.
std::string elementOf(const FakeObject& array, char type, std::size_t index) {
  auto load = [&]<typename Element>(Element) {
    Element element;
    std::memcpy(&element, array.elements.data() + index * sizeof element, sizeof element);
    return element;
  };
  switch (type) {
    case 'B':
      return std::to_string(load(jbyte{}));
    case 'S':
      return std::to_string(load(jshort{}));
    case 'I':
      return std::to_string(load(jint{}));
    case 'F':
      return number("%.9g", load(jfloat{}));
    case 'D':
      return number("%.17g", load(jdouble{}));
    case 'Z':
      return load(jboolean{}) ? "true" : "false";
  }
  return "?";
}

// The elements of an array in braces; rows of a matrix without their type.
std::string elementsOf(const FakeJniEnv& fake, const FakeObject& array) {
  std::string text = "{";
  const char type = array.elementType();
  for (std::size_t i = 0; i < array.length(); ++i) {
    if (i > 0) text += ", ";
    if (type != 0) {
      text += elementOf(array, type, i);
    } else if (const FakeObject* row = fake.objectOf(array.references[i]);
               row != nullptr && array.className.starts_with("[[")) {
      text += elementsOf(fake, *row);
    } else {
      text += described(fake, array.references[i]);
    }
  }
  return text + "}";
}

// "int[]", "int[][]", "Object[]", "String[]".
std::string arrayTypeOf(std::string_view className) {
  std::string brackets;
  while (className.starts_with("[")) {
    brackets += "[]";
    className.remove_prefix(1);
  }
  if (className.size() == 1) return primitiveName(className[0]) + brackets;
  const std::size_t slash = className.rfind('/');
  std::string_view simple = className.substr(slash + 1);
  if (simple.ends_with(";")) simple.remove_suffix(1);
  return std::string(simple) + brackets;
}

std::string boxedOf(const FakeObject& wrapper) {
  const std::string simple = wrapper.className.substr(wrapper.className.rfind('/') + 1);
  const jvalue& v = wrapper.boxed;
  if (simple == "Byte") return "Byte " + std::to_string(v.b);
  if (simple == "Short") return "Short " + std::to_string(v.s);
  if (simple == "Integer") return "Integer " + std::to_string(v.i);
  if (simple == "Float") return "Float " + number("%.9g", v.f);
  if (simple == "Double") return "Double " + number("%.17g", v.d);
  if (simple == "Boolean") return std::string("Boolean ") + (v.z ? "true" : "false");
  return "object " + wrapper.className;
}

}  // namespace

std::string described(const FakeJniEnv& fake, jobject value) {
  if (value == nullptr) return "null";
  const FakeObject* object = fake.objectOf(value);
  if (object == nullptr) return "object ?";
  if (object->className == "java/lang/String") return "\"" + printable(object->text) + "\"";
  if (object->className.starts_with("[")) {
    return arrayTypeOf(object->className) + " " + elementsOf(fake, *object);
  }
  return boxedOf(*object);
}

}  // namespace vardelon::wine
