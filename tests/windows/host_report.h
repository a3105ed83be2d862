// The host's findings: one line per check on standard output,
// "ok | <what>: <actual>" or "FAIL | <what>: <actual>, expected <expected>",
// and a last line that counts them, which the test script reads to know the
// host ran to its end.
#pragma once

#include <string>
#include <string_view>

namespace vardelon::wine {

class HostReport {
 public:
  void expectEqual(std::string_view what, std::string_view actual, std::string_view expected);
  void expectTrue(std::string_view what, bool holds);
  // Prints the last line; the process's exit code.
  int finish() const;

 private:
  int checks_ = 0;
  int failures_ = 0;
};

}  // namespace vardelon::wine
