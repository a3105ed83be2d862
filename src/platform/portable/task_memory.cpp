// The COM task allocator: memory that one side of a call allocates and the
// other frees.
#include <cstdlib>

#include "com.h"

extern "C" {

LPVOID CoTaskMemAlloc(std::size_t size) {
  return std::malloc(size);
}

void CoTaskMemFree(LPVOID memory) {
  std::free(memory);
}

}  // extern "C"
