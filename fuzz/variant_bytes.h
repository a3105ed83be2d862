// VARIANTs as comparable bytes, for invariants of the form "this call
// changed nothing".
#pragma once

#include <cstddef>
#include <string>

#include "platform/automation.h"

namespace vardelon::fuzz {

// Bytes of a scalar's value in the VARIANT's union (the widest for tags
// that are not scalars).
inline std::size_t scalarWidth(VARTYPE type) {
  switch (type) {
    case VT_EMPTY:
    case VT_NULL:
      return 0;
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
      return 4;
    default:
      return 8;
  }
}

std::string valueBytes(const VARIANT& value);

namespace detail {

inline void appendBytes(std::string& out, const void* bytes, std::size_t length) {
  out.append(static_cast<const char*>(bytes), length);
}

inline void appendText(std::string& out, BSTR text) {
  const UINT length = SysStringLen(text);
  appendBytes(out, &length, sizeof length);
  if (text != nullptr) appendBytes(out, text, length * sizeof(OLECHAR));
}

// Shape, element size and elements; text and VARIANT elements by content.
inline void appendArray(std::string& out, VARTYPE elementType, SAFEARRAY* array) {
  if (array == nullptr) return out.push_back('0');
  const UINT dimensions = SafeArrayGetDim(array);
  const UINT width = SafeArrayGetElemsize(array);
  appendBytes(out, &dimensions, sizeof dimensions);
  appendBytes(out, &width, sizeof width);
  std::size_t elements = 1;
  for (UINT dimension = 1; dimension <= dimensions; ++dimension) {
    LONG bounds[2] = {0, -1};
    SafeArrayGetLBound(array, dimension, &bounds[0]);
    SafeArrayGetUBound(array, dimension, &bounds[1]);
    appendBytes(out, bounds, sizeof bounds);
    elements *= static_cast<std::size_t>(bounds[1] - bounds[0] + 1);
  }
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, &data))) return out.push_back('?');
  for (std::size_t i = 0; i < elements; ++i) {
    const auto* element = static_cast<const std::byte*>(data) + i * width;
    if (elementType == VT_BSTR) {
      appendText(out, *reinterpret_cast<const BSTR*>(element));
    } else if (elementType == VT_VARIANT) {
      out += valueBytes(*reinterpret_cast<const VARIANT*>(element));
    } else {
      appendBytes(out, element, width);
    }
  }
  SafeArrayUnaccessData(array);
}

}  // namespace detail

// The tag and the content: a scalar's bytes, a text's units, an array's
// shape and elements.
inline std::string valueBytes(const VARIANT& value) {
  const VARTYPE type = V_VT(&value);
  std::string out(reinterpret_cast<const char*>(&type), sizeof type);
  if (type == VT_BSTR) {
    detail::appendText(out, V_BSTR(&value));
  } else if (type & VT_ARRAY) {
    detail::appendArray(out, type & VT_TYPEMASK, V_ARRAY(&value));
  } else {
    detail::appendBytes(out, &value.llVal, scalarWidth(type));
  }
  return out;
}

}  // namespace vardelon::fuzz
