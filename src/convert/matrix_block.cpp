#include "convert/matrix_block.h"

#include <limits>

namespace vardelon {

bool matrixFits(std::int64_t rows, std::int64_t columns, ULONG width) {
  constexpr std::int64_t kLongestJavaArray = std::numeric_limits<jsize>::max();
  constexpr std::uint64_t kLargestBlock = std::numeric_limits<ULONG>::max();
  if (rows < 0 || columns < 0 || rows > kLongestJavaArray || columns > kLongestJavaArray) {
    return false;
  }
  // Both counts are below 2^31, so their product cannot overflow.
  const auto elements = static_cast<std::uint64_t>(rows) * static_cast<std::uint64_t>(columns);
  return width > 0 && elements <= kLargestBlock / width;
}

LockedMatrix::LockedMatrix(SAFEARRAY* array, jsize columns, ULONG width)
    : array_(array), rowBytes_(static_cast<std::size_t>(columns) * width) {
  SafeArrayLock(array_);
  data_ = static_cast<std::byte*>(array_->pvData);
}

LockedMatrix::~LockedMatrix() {
  SafeArrayUnlock(array_);
}

std::byte* LockedMatrix::row(jsize index) const {
  return data_ + static_cast<std::size_t>(index) * rowBytes_;
}

}  // namespace vardelon
