// The six types a value of the language can be written in, one row each:
// the prefix that names it (the Java type it arrives as), its automation
// type, its width, and how one element is read from its text.
//
//   byte:-7  short:300  int:70000  float:0.5  double:1e-3  boolean:true
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/automation.h"

namespace vardelon::simulator {

struct ElementType {
  std::string_view name;
  VARTYPE type;
  std::size_t size;
  // Reads `token` into `element`, `size` bytes; throws ParseError when the
  // token is not a value of the type or lies outside its range.
  void (*read)(const ElementType& self, std::string_view token, void* element);
};

// Null when `name` is none of the six.
const ElementType* findElementType(std::string_view name);
// The element type of a matrix written without a prefix.
const ElementType& doubleType();
// "byte, short, int, float, double or boolean", for messages.
std::string_view elementTypeNames();

}  // namespace vardelon::simulator
