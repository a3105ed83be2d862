#include "element_types.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "line_reader.h"

namespace vardelon::simulator {

namespace {

template <typename Number>
void store(Number number, void* element) {
  std::memcpy(element, &number, sizeof number);
}

std::string typeName(const ElementType& type) {
  return std::string(type.name);
}

// A whole number in the range of `Whole`; "1.0" and "1e3" are not whole.
template <typename Whole>
void readWhole(const ElementType& self, std::string_view token, void* element) {
  long long number = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), number);
  if (token.empty() || end != token.data() + token.size() || error == std::errc::invalid_argument) {
    throw ParseError{"expected a whole number (" + typeName(self) + "), found " + quoted(token)};
  }
  constexpr long long lowest = +std::numeric_limits<Whole>::min();  // as a number, not a char
  constexpr long long highest = +std::numeric_limits<Whole>::max();
  if (error == std::errc::result_out_of_range || number < lowest || number > highest) {
    throw ParseError{quoted(token) + " is out of range for " + typeName(self) + " (" +
                     std::to_string(lowest) + " to " + std::to_string(highest) + ")"};
  }
  store(static_cast<Whole>(number), element);
}

// A decimal number, read straight into `Real` so that it is rounded once;
// the words inf, -inf and nan stand for the values that have no digits.
template <typename Real>
void readReal(const ElementType& self, std::string_view token, void* element) {
  Real number = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), number);
  const bool word = token == "inf" || token == "-inf" || token == "nan";
  if (token.empty() || end != token.data() + token.size() || error == std::errc::invalid_argument ||
      (!std::isfinite(number) && !word)) {
    throw ParseError{"expected a number (" + typeName(self) + "), found " + quoted(token)};
  }
  if (error == std::errc::result_out_of_range) {
    throw ParseError{quoted(token) + " is out of range for " + typeName(self)};
  }
  store(number, element);
}

void readBoolean(const ElementType& self, std::string_view token, void* element) {
  if (token != "true" && token != "false") {
    throw ParseError{"expected true or false (" + typeName(self) + "), found " + quoted(token)};
  }
  store<VARIANT_BOOL>(token == "true" ? VARIANT_TRUE : VARIANT_FALSE, element);
}

constexpr std::array<ElementType, 6> kElementTypes{{
    {"byte", VT_I1, sizeof(std::int8_t), readWhole<std::int8_t>},
    {"short", VT_I2, sizeof(std::int16_t), readWhole<std::int16_t>},
    {"int", VT_I4, sizeof(std::int32_t), readWhole<std::int32_t>},
    {"float", VT_R4, sizeof(float), readReal<float>},
    {"double", VT_R8, sizeof(double), readReal<double>},
    {"boolean", VT_BOOL, sizeof(VARIANT_BOOL), readBoolean},
}};

}  // namespace

const ElementType* findElementType(std::string_view name) {
  auto found = std::find_if(kElementTypes.begin(), kElementTypes.end(),
                            [name](const ElementType& type) { return type.name == name; });
  return found == kElementTypes.end() ? nullptr : &*found;
}

const ElementType& doubleType() {
  return *findElementType("double");
}

std::string_view elementTypeNames() {
  return "byte, short, int, float, double or boolean";
}

}  // namespace vardelon::simulator
