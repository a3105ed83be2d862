#include "host_report.h"

#include <cstdio>

namespace vardelon::wine {

void HostReport::expectEqual(std::string_view what, std::string_view actual,
                             std::string_view expected) {
  ++checks_;
  if (actual == expected) {
    std::printf("ok | %.*s: %.*s\n", static_cast<int>(what.size()), what.data(),
                static_cast<int>(actual.size()), actual.data());
    return;
  }
  ++failures_;
  std::printf("FAIL | %.*s: %.*s, expected %.*s\n", static_cast<int>(what.size()), what.data(),
              static_cast<int>(actual.size()), actual.data(), static_cast<int>(expected.size()),
              expected.data());
}

void HostReport::expectTrue(std::string_view what, bool holds) {
  expectEqual(what, holds ? "true" : "false", "true");
}

int HostReport::finish() const {
  std::printf("end | %d checks, %d failed\n", checks_, failures_);
  std::fflush(stdout);
  return failures_ == 0 ? 0 : 1;
}

}  // namespace vardelon::wine
