// What every fuzz target shares: invariants that abort with a message (which
// libFuzzer records as a crash, together with the input), the layer's live
// allocation counts, and the byte encoding of UTF-16 text in an input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/automation.h"

namespace vardelon::fuzz {

[[noreturn]] inline void invariantBroken(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
  std::abort();
}

// The BSTRs and SAFEARRAYs alive in the process.
struct LiveCounts {
  LONG bstrs = AutomationLiveBstrCount();
  LONG arrays = AutomationLiveSafeArrayCount();

  bool operator==(const LiveCounts&) const = default;
};

// Text in an input: each byte is one code unit, except that 0xFF and the two
// bytes after it (little-endian) are one unit of any value, so that ASCII
// stays cheap to find while surrogates and U+0000 stay reachable.
inline std::u16string unitsFromBytes(std::string_view bytes) {
  std::u16string units;
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte == 0xFF && at + 2 < bytes.size()) {
      const auto low = static_cast<unsigned char>(bytes[at + 1]);
      const auto high = static_cast<unsigned char>(bytes[at + 2]);
      units.push_back(static_cast<char16_t>(low | high << 8));
      at += 2;
    } else {
      units.push_back(byte);
    }
  }
  return units;
}

}  // namespace vardelon::fuzz

#define FUZZ_CHECK(condition) \
  ((condition) ? void() : ::vardelon::fuzz::invariantBroken(#condition, __FILE__, __LINE__))
