#include "described.h"

#include <cstdio>

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

std::string described(const FakeJniEnv& fake, jobject value) {
  if (value == nullptr) return "null";
  const std::u16string* text = fake.textOf(value);
  return text != nullptr ? "\"" + printable(*text) + "\"" : "object";
}

}  // namespace vardelon::wine
