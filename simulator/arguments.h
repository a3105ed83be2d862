// The positional arguments of one Invoke call, addressed in the member's own
// order although the caller stores them last-first in rgvarg. Each reader
// accepts what OLE Automation would coerce to the wanted type, and on a
// mismatch answers DISP_E_TYPEMISMATCH and sets the caller's argument-error
// index to the argument's place in rgvarg.
#pragma once

#include <string>
#include <vector>

#include "ole_text.h"
#include "platform/automation.h"
#include "value.h"

namespace vardelon::simulator {

class Arguments {
 public:
  Arguments(const DISPPARAMS& params, UINT* argumentError)
      : params_(params), argumentError_(argumentError) {}

  HRESULT integer(UINT position, LONG* value) const;
  HRESULT text(UINT position, OleString* value) const;
  // Any value that can be stored: not by reference, not an interface.
  HRESULT storable(UINT position, const VARIANT** value) const;
  // A one-dimensional array of VT_I4, or of VT_VARIANT: held by value
  // (VT_ARRAY|type), by reference (VT_BYREF|VT_ARRAY|type), or, as the
  // library sends it, through a VT_BYREF|VT_VARIANT that points to a
  // VT_ARRAY|type VARIANT. Elements come in index order, any lower bound.
  HRESULT numbers(UINT position, std::vector<LONG>* values) const;
  HRESULT values(UINT position, std::vector<Value>* values) const;

 private:
  const VARIANT& at(UINT position) const { return params_.rgvarg[params_.cArgs - 1 - position]; }
  HRESULT mismatch(UINT position) const;
  HRESULT coerced(UINT position, VARTYPE type, VARIANT* value) const;
  HRESULT vector(UINT position, VARTYPE elementType, SAFEARRAY** array) const;

  const DISPPARAMS& params_;
  UINT* argumentError_;
};

}  // namespace vardelon::simulator
