// Java -> automation -> Java gives back an equal value, for every element
// type and shape.
#include <gtest/gtest.h>

#include <cstddef>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

#include "convert_test.h"

namespace vardelon::testing {
namespace {

// The k-th of a cycle of values that includes each type's extremes.
template <typename Element>
Element sample(std::size_t k) {
  if constexpr (std::is_same_v<Element, jboolean>) {
    return k % 3 == 1 ? JNI_TRUE : JNI_FALSE;
  } else {
    using Limits = std::numeric_limits<Element>;
    const Element samples[] = {
        Element(0),    Element(1),       static_cast<Element>(-1),  Limits::max(),
        Limits::min(), Limits::lowest(), static_cast<Element>(0.1), Element(42)};
    return samples[k % std::size(samples)];
  }
}

template <typename Element>
std::vector<std::vector<Element>> samples(std::size_t rows, std::size_t columns) {
  std::vector<std::vector<Element>> values(rows);
  std::size_t k = 0;
  for (std::vector<Element>& row : values) {
    for (std::size_t j = 0; j < columns; ++j) row.push_back(sample<Element>(k++));
  }
  return values;
}

template <typename Element>
class RoundTripTest : public ConvertTest {
 protected:
  // Converts `original` to automation and back, expecting `expected`.
  void expectRoundTrip(jobject original, jobject expected) {
    const VariantResult automation = this->toVariant(original);
    EXPECT_EQ(automation.diagnostics, "");
    EXPECT_EQ(V_VT(&automation.value), VT_ARRAY | JavaPrimitive<Element>::tag);
    const JavaResult back = this->toJava(automation.value);
    EXPECT_EQ(back.diagnostics, "");
    EXPECT_TRUE(sameJavaValue(this->env(), expected, back.value));
  }
};

using ElementTypes = ::testing::Types<jdouble, jfloat, jbyte, jshort, jint, jboolean>;
TYPED_TEST_SUITE(RoundTripTest, ElementTypes);

TYPED_TEST(RoundTripTest, RectangularArraysOfArraysComeBackEqual) {
  const std::pair<std::size_t, std::size_t> shapes[] = {{0, 0}, {2, 0}, {1, 1}, {1, 5},
                                                        {5, 1}, {2, 3}, {3, 2}, {8, 8}};
  for (const auto& [rows, columns] : shapes) {
    SCOPED_TRACE(::testing::Message() << rows << " x " << columns);
    const jobject original = javaMatrix(this->env(), samples<TypeParam>(rows, columns));
    this->expectRoundTrip(original, original);
  }
}

TYPED_TEST(RoundTripTest, OneDimensionalArraysComeBackAsOneRow) {
  for (std::size_t length : {0, 1, 9}) {
    SCOPED_TRACE(::testing::Message() << "length " << length);
    const std::vector<std::vector<TypeParam>> values = samples<TypeParam>(1, length);
    const jobject expected = javaMatrix(this->env(), length > 0 ? values : decltype(values){});
    this->expectRoundTrip(javaRow(this->env(), values[0]), expected);
  }
}

}  // namespace
}  // namespace vardelon::testing
