// What a call writes to standard error, captured at the file descriptor.
#pragma once

#include <string>
#include <utility>

namespace vardelon::testing {

class StderrCapture {
 public:
  StderrCapture();
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;
  ~StderrCapture();

  // Restores standard error and returns everything written since construction.
  std::string finish();

 private:
  int savedFd_ = -1;
  int captureFd_ = -1;
};

// Runs `call` and returns what it wrote to standard error.
template <typename Call>
std::string captureStderr(Call&& call) {
  StderrCapture capture;
  std::forward<Call>(call)();
  return capture.finish();
}

}  // namespace vardelon::testing
