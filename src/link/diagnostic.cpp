#include "link/diagnostic.h"

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <new>

namespace vardelon {
namespace {

// Writes the line at once, so that lines from different threads never mix.
void writeLine(const char* text, std::size_t length) {
  std::fwrite(text, 1, length, stderr);
  std::fflush(stderr);
}

}  // namespace

void reportDiagnostic(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);

  char line[256];
  const int length = std::vsnprintf(line, sizeof line, format, arguments);
  if (length >= 0 && static_cast<std::size_t>(length) < sizeof line) {
    writeLine(line, length);
  } else if (length >= 0) {
    const std::unique_ptr<char[]> longLine(new (std::nothrow) char[length + 1]);
    if (longLine != nullptr) {
      std::vsnprintf(longLine.get(), length + 1, format, again);
      writeLine(longLine.get(), length);
    }
  }
  va_end(again);
  va_end(arguments);
}

}  // namespace vardelon
