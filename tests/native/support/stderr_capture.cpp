#include "stderr_capture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace vardelon::testing {

StderrCapture::StderrCapture() {
  std::fflush(stderr);
  std::FILE* file = std::tmpfile();
  if (file == nullptr) std::abort();
  captureFd_ = dup(fileno(file));
  std::fclose(file);
  savedFd_ = dup(STDERR_FILENO);
  dup2(captureFd_, STDERR_FILENO);
}

StderrCapture::~StderrCapture() {
  finish();
}

std::string StderrCapture::finish() {
  if (savedFd_ < 0) return {};
  std::fflush(stderr);
  dup2(savedFd_, STDERR_FILENO);
  close(savedFd_);
  savedFd_ = -1;
  std::string text;
  char buffer[4096];
  lseek(captureFd_, 0, SEEK_SET);
  for (ssize_t n; (n = read(captureFd_, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  close(captureFd_);
  captureFd_ = -1;
  return text;
}

}  // namespace vardelon::testing
