// The data block of a matrix, shared by both directions: dimension 1 counts
// the rows, dimension 2 the columns, and the rows lie one after another, so
// that Java element [i][j] is element i x columns + j of the block. The
// platform's indexed element calls count the other way round, so matrices
// are only ever read and written through this block.
#pragma once

#include <jni.h>

#include <cstddef>
#include <cstdint>

#include "platform/automation.h"

namespace vardelon {

// Whether `rows` x `columns` elements of `width` bytes can be both a Java
// array of arrays (each count a Java array length) and one SAFEARRAY data
// block (whose size a 32-bit count describes).
bool matrixFits(std::int64_t rows, std::int64_t columns, ULONG width);

// The data block of a matrix, locked while this lives.
class LockedMatrix {
 public:
  LockedMatrix(SAFEARRAY* array, jsize columns, ULONG width);
  LockedMatrix(const LockedMatrix&) = delete;
  LockedMatrix& operator=(const LockedMatrix&) = delete;
  ~LockedMatrix();

  // The run of the block that holds row `index`.
  std::byte* row(jsize index) const;

 private:
  SAFEARRAY* array_;
  std::byte* data_;
  std::size_t rowBytes_;
};

}  // namespace vardelon
