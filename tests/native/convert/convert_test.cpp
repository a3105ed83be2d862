#include "convert_test.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "stderr_capture.h"

namespace vardelon::testing {

VARIANT arrayVariant(VARTYPE tag, SAFEARRAY* array) {
  VARIANT value = variantOf(tag);
  V_ARRAY(&value) = array;
  return value;
}

namespace {

template <typename Stored>
double storedAt(const void* block, std::size_t index) {
  Stored element;
  std::memcpy(&element, static_cast<const std::byte*>(block) + index * sizeof element,
              sizeof element);
  return element;
}

}  // namespace

double elementOf(VARTYPE elementType, const void* block, std::size_t index) {
  switch (elementType) {
    case VT_I1:
      return storedAt<signed char>(block, index);
    case VT_I2:
      return storedAt<SHORT>(block, index);
    case VT_I4:
      return storedAt<LONG>(block, index);
    case VT_R4:
      return storedAt<FLOAT>(block, index);
    case VT_R8:
      return storedAt<DOUBLE>(block, index);
    case VT_BOOL:
      return storedAt<VARIANT_BOOL>(block, index);
    default:
      ADD_FAILURE() << "no element type " << elementType;
      return 0;
  }
}

void ConvertTest::TearDown() {
  for (VARIANT& value : variants_) EXPECT_GE(VariantClear(&value), 0);
  for (SAFEARRAY* array : arrays_) EXPECT_GE(SafeArrayDestroy(array), 0) << "still locked?";
  NativeTest::TearDown();
}

ConvertTest::JavaResult ConvertTest::toJava(const VARIANT& value) {
  JavaResult result{};
  result.diagnostics = captureStderr([&] { result.value = variantToJava(env(), value); });
  return result;
}

ConvertTest::VariantResult ConvertTest::toVariant(jobject value) {
  VariantResult result{};
  result.diagnostics = captureStderr([&] { result.value = keep(javaToVariant(env(), value)); });
  return result;
}

SAFEARRAY* ConvertTest::keep(SAFEARRAY* array) {
  arrays_.push_back(array);
  return array;
}

VARIANT ConvertTest::keep(VARIANT value) {
  variants_.push_back(value);
  return value;
}

SAFEARRAY* ConvertTest::createSafeArray(VARTYPE elementType,
                                        const std::vector<Dimension>& dimensions, const void* block,
                                        std::size_t bytes) {
  std::vector<SAFEARRAYBOUND> bounds;
  for (const Dimension& dimension : dimensions)
    bounds.push_back({dimension.count, dimension.lower});
  SAFEARRAY* array = SafeArrayCreate(elementType, static_cast<UINT>(bounds.size()), bounds.data());
  if (array == nullptr) {
    ADD_FAILURE() << "SafeArrayCreate failed";
    return nullptr;
  }
  std::uint64_t capacity = SafeArrayGetElemsize(array);
  for (const Dimension& dimension : dimensions) capacity *= dimension.count;
  EXPECT_LE(bytes, capacity) << "more data than the array holds";
  if (bytes > 0) {
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    std::memcpy(data, block, std::min<std::uint64_t>(bytes, capacity));
    SafeArrayUnaccessData(array);
  }
  return keep(array);
}

}  // namespace vardelon::testing
