// The fixture of the conversion suites: runs the converters with standard
// error captured, owns the automation values a test makes or receives, and
// gives them back before the fixture checks the live counts.
#pragma once

#include <jni.h>

#include <deque>
#include <string>
#include <vector>

#include "convert/java_to_variant.h"
#include "convert/variant_to_java.h"
#include "java_values.h"
#include "native_test.h"
#include "platform/automation.h"
#include "variant_builders.h"

namespace vardelon::testing {

// One dimension of a SAFEARRAY, as the bounds queries report it.
struct Dimension {
  LONG lower;
  ULONG count;
};

VARIANT arrayVariant(VARTYPE tag, SAFEARRAY* array);

// The element at `index` of a data block of `elementType`, as a number: a
// VT_BOOL element gives its 16-bit value, so 1 and -1 differ.
double elementOf(VARTYPE elementType, const void* block, std::size_t index);

class ConvertTest : public NativeTest {
 protected:
  void TearDown() override;

  struct JavaResult {
    jobject value;
    std::string diagnostics;
  };
  struct VariantResult {
    VARIANT value;  // cleared at the end of the test
    std::string diagnostics;
  };

  JavaResult toJava(const VARIANT& value);
  VariantResult toVariant(jobject value);

  // Destroyed at the end of the test.
  SAFEARRAY* keep(SAFEARRAY* array);
  VARIANT keep(VARIANT value);

  // A new SAFEARRAY of `elementType` (destroyed at the end of the test) whose
  // data block holds `block`, in storage order.
  template <typename Stored>
  SAFEARRAY* safeArray(VARTYPE elementType, const std::vector<Dimension>& dimensions,
                       const std::vector<Stored>& block);

 private:
  SAFEARRAY* createSafeArray(VARTYPE elementType, const std::vector<Dimension>& dimensions,
                             const void* block, std::size_t bytes);

  std::deque<VARIANT> variants_;
  std::vector<SAFEARRAY*> arrays_;
};

template <typename Stored>
SAFEARRAY* ConvertTest::safeArray(VARTYPE elementType, const std::vector<Dimension>& dimensions,
                                  const std::vector<Stored>& block) {
  return createSafeArray(elementType, dimensions, block.data(), block.size() * sizeof(Stored));
}

}  // namespace vardelon::testing
