#include "captured_stderr.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace vardelon::wine {
namespace {

// A new file in the temporary folder, deleted when its descriptor closes.
int openCaptureFile() {
  wchar_t folder[MAX_PATH];
  wchar_t path[MAX_PATH];
  if (GetTempPathW(MAX_PATH, folder) == 0 || GetTempFileNameW(folder, L"err", 0, path) == 0) {
    return -1;
  }
  return _wopen(path, _O_RDWR | _O_TEXT | _O_TEMPORARY, _S_IREAD | _S_IWRITE);
}

}  // namespace

std::string capturedStderr(const std::function<void()>& call) {
  const int capture = openCaptureFile();
  if (capture < 0) {
    std::printf("cannot make a file to capture standard error in\n");
    std::exit(2);
  }
  std::fflush(stderr);
  const int saved = _dup(2);
  _dup2(capture, 2);
  call();
  std::fflush(stderr);
  _dup2(saved, 2);
  _close(saved);

  std::string text;
  char buffer[4096];
  _lseek(capture, 0, SEEK_SET);
  for (int n; (n = _read(capture, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  _close(capture);
  return text;
}

}  // namespace vardelon::wine
