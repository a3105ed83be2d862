// Text between the server's UTF-16 (BSTR) and the UTF-8 of scripts and paths.
#pragma once

#include <string>
#include <string_view>

namespace vardelon::simulator {

// Malformed input (a lone surrogate, a broken UTF-8 sequence) becomes U+FFFD.
std::string toUtf8(std::u16string_view text);
std::u16string toUtf16(std::string_view text);

}  // namespace vardelon::simulator
