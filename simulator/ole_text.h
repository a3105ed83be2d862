// The server's text is OLE text: the 16-bit units of OLECHAR, which is
// char16_t in the portable layer and wchar_t on Windows. Scripts and file
// names are UTF-8, converted by the shared helpers in platform/utf.h, whose
// 16-bit units are copied one for one.
#pragma once

#include <string>
#include <string_view>

#include "platform/automation.h"
#include "platform/utf.h"

namespace vardelon::simulator {

static_assert(sizeof(OLECHAR) == sizeof(char16_t), "OLE text is UTF-16");

using OleString = std::basic_string<OLECHAR>;
using OleStringView = std::basic_string_view<OLECHAR>;

inline OleString toOleString(std::string_view utf8) {
  const std::u16string units = automation::utf8ToUtf16(utf8);
  return OleString(units.begin(), units.end());
}

inline std::string toUtf8(OleStringView text) {
  return automation::utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

}  // namespace vardelon::simulator
