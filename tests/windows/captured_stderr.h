// What a call writes to standard error, captured at the C runtime's file
// descriptor 2, which the library's stderr stream writes through.
#pragma once

#include <functional>
#include <string>

namespace vardelon::wine {

// Runs `call` and returns what it wrote to standard error. The capture file
// is in text mode, as a redirected stderr is when a program starts, and is
// read back in text mode: the program's own view of the lines.
std::string capturedStderr(const std::function<void()>& call);

}  // namespace vardelon::wine
