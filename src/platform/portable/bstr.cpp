// BSTR: a block holding the text's byte count, the text, and a terminating
// zero; the BSTR points at the text, just past the count.
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "bstr.h"
#include "live_counts.h"

namespace {

using ByteCount = ULONG;
constexpr std::size_t kPrefixSize = sizeof(ByteCount);
constexpr std::size_t kTerminatorSize = sizeof(OLECHAR);

std::atomic<LONG> liveBstrs{0};

ByteCount* prefixOf(BSTR text) {
  return reinterpret_cast<ByteCount*>(reinterpret_cast<char*>(text) - kPrefixSize);
}

// A BSTR of `byteLength` bytes, copied from `bytes` or zero-filled when
// `bytes` is null; null when the size does not fit a 32-bit count.
BSTR allocateBytes(const void* bytes, UINT byteLength) {
  if (byteLength >= UINT_MAX - 2 * kTerminatorSize - kPrefixSize) return nullptr;
  // After an odd byte count the terminator also completes the last unit, so
  // that the text reads as zero-terminated units.
  const std::size_t terminatorSize = kTerminatorSize + byteLength % sizeof(OLECHAR);
  auto* block = static_cast<char*>(std::malloc(kPrefixSize + byteLength + terminatorSize));
  if (block == nullptr) return nullptr;
  const ByteCount count = byteLength;
  std::memcpy(block, &count, kPrefixSize);
  char* text = block + kPrefixSize;
  if (bytes != nullptr) {
    std::memcpy(text, bytes, byteLength);
  } else {
    std::memset(text, 0, byteLength);
  }
  std::memset(text + byteLength, 0, terminatorSize);
  liveBstrs.fetch_add(1, std::memory_order_relaxed);
  return reinterpret_cast<BSTR>(text);
}

}  // namespace

extern "C" {

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  UINT length = 0;
  while (text[length] != 0) ++length;
  return SysAllocStringLen(text, length);
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  if (length >= (UINT_MAX - kTerminatorSize - kPrefixSize) / sizeof(OLECHAR)) return nullptr;
  return allocateBytes(text, length * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(LPCSTR bytes, UINT byteLength) {
  return allocateBytes(bytes, byteLength);
}

void SysFreeString(BSTR text) {
  if (text == nullptr) return;
  std::free(prefixOf(text));
  liveBstrs.fetch_sub(1, std::memory_order_relaxed);
}

UINT SysStringLen(BSTR text) {
  return SysStringByteLen(text) / sizeof(OLECHAR);
}

UINT SysStringByteLen(BSTR text) {
  if (text == nullptr) return 0;
  ByteCount count;
  std::memcpy(&count, prefixOf(text), kPrefixSize);
  return count;
}

LONG AutomationLiveBstrCount() {
  return liveBstrs.load(std::memory_order_relaxed);
}

}  // extern "C"
