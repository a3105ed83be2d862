// A VARIANT with value semantics for what the simulator stores: it owns its
// content, moves cheaply and copies deeply (strings and arrays included).
#pragma once

#include <string_view>

#include "ole_text.h"
#include "platform/automation.h"

namespace vardelon::simulator {

// The source of VariantCopy or VariantChangeType, which read it only, though
// Windows declares it non-const.
inline VARIANT* copySource(const VARIANT& source) {
  return const_cast<VARIANT*>(&source);
}

class Value {
 public:
  Value();  // VT_EMPTY
  Value(Value&& other) noexcept;
  Value& operator=(Value&& other) noexcept;
  Value(const Value&) = delete;
  Value& operator=(const Value&) = delete;
  ~Value();

  // Takes over `owned`, which the caller must not clear afterwards.
  static Value adopt(const VARIANT& owned);
  static Value text(OleStringView text);

  // Replaces the content by a deep copy of `source`; on failure the value
  // keeps what it held.
  HRESULT assign(const VARIANT& source);
  // A deep copy into `destination`, which is overwritten, not cleared first.
  HRESULT copyTo(VARIANT* destination) const;

  const VARIANT& get() const { return value_; }

 private:
  VARIANT value_;
};

}  // namespace vardelon::simulator
