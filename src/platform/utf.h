// Text between UTF-16 (OLECHAR, BSTR) and UTF-8 (file paths, registry
// files, scripts). Standard library only, so that the portable layer and an
// automation server on any platform can share it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace automation {

namespace utf_detail {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

inline bool isHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool isLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

inline void appendUtf8(std::string& out, char32_t code) {
  auto byte = [&out](char32_t bits) { out.push_back(static_cast<char>(bits)); };
  if (code < 0x80) {
    byte(code);
  } else if (code < 0x800) {
    byte(0xC0 | (code >> 6));
    byte(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    byte(0xE0 | (code >> 12));
    byte(0x80 | ((code >> 6) & 0x3F));
    byte(0x80 | (code & 0x3F));
  } else {
    byte(0xF0 | (code >> 18));
    byte(0x80 | ((code >> 12) & 0x3F));
    byte(0x80 | ((code >> 6) & 0x3F));
    byte(0x80 | (code & 0x3F));
  }
}

inline void appendUtf16(std::u16string& out, char32_t code) {
  if (code < 0x10000) {
    out.push_back(static_cast<char16_t>(code));
  } else {
    code -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
  }
}

// Decodes one UTF-8 sequence starting at `at`, advancing it; overlong forms,
// surrogates and truncated sequences give U+FFFD after one byte.
inline char32_t decodeUtf8(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  if (lead < 0x80) return lead;
  int trailing = 0;
  char32_t code = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    trailing = 1, code = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    trailing = 2, code = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    trailing = 3, code = lead & 0x07, minimum = 0x10000;
  } else {
    return kReplacementCharacter;
  }
  if (at + trailing > text.size()) return kReplacementCharacter;
  for (int i = 0; i < trailing; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return kReplacementCharacter;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || isHighSurrogate(code) || isLowSurrogate(code)) {
    return kReplacementCharacter;
  }
  at += trailing;
  return code;
}

}  // namespace utf_detail

// Malformed input (a lone surrogate, a broken UTF-8 sequence) becomes U+FFFD.
inline std::string utf16ToUtf8(std::u16string_view text) {
  using namespace utf_detail;
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    char32_t code = text[at];
    if (isHighSurrogate(code) && at + 1 < text.size() && isLowSurrogate(text[at + 1])) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++at] - 0xDC00);
    } else if (isHighSurrogate(code) || isLowSurrogate(code)) {
      code = kReplacementCharacter;
    }
    appendUtf8(out, code);
  }
  return out;
}

inline std::u16string utf8ToUtf16(std::string_view text) {
  using namespace utf_detail;
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) appendUtf16(out, decodeUtf8(text, at));
  return out;
}

}  // namespace automation
