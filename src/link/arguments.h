// The kinds of argument the library passes to the server. Each gives a
// VARIANT that borrows what it holds: the caller keeps owning the BSTR or
// the designated VARIANT, so these arguments need no clearing.
#pragma once

#include <jni.h>

#include "platform/automation.h"

namespace vardelon {

// A Java int, unchanged, as VT_I4.
inline VARIANT integerArgument(jint value) {
  VARIANT argument;
  VariantInit(&argument);
  V_VT(&argument) = VT_I4;
  V_I4(&argument) = value;
  return argument;
}

// Text as VT_BSTR.
inline VARIANT textArgument(BSTR text) {
  VARIANT argument;
  VariantInit(&argument);
  V_VT(&argument) = VT_BSTR;
  V_BSTR(&argument) = text;
  return argument;
}

// A VT_BYREF|VT_VARIANT argument designating `target`, through which the
// server may read and replace what `target` holds.
inline VARIANT byReference(VARIANT& target) {
  VARIANT argument;
  VariantInit(&argument);
  V_VT(&argument) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&argument) = &target;
  return argument;
}

}  // namespace vardelon
