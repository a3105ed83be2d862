// The library's only output: one formatted line on standard error, written
// in one write so that lines from different threads never mix.
#pragma once

namespace vardelon {

void reportDiagnostic(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vardelon
