// The variables of one instance, or of the engine: named values kept in the
// order they were first set. A variable's number is its position in that
// order, from 0, so number i is the i-th name that the names list shows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ole_text.h"
#include "platform/automation.h"
#include "value.h"

namespace vardelon::simulator {

class VariableTable {
 public:
  // Null when there is no such variable.
  const Value* find(OleStringView name) const;
  const Value* find(LONG number) const;

  // Stores a deep copy under `name`, adding the variable when it is new.
  HRESULT set(OleStringView name, const VARIANT& value);
  void set(OleStringView name, Value value);
  // Replaces the value of an existing variable; DISP_E_BADINDEX otherwise.
  HRESULT set(LONG number, const VARIANT& value);

  std::vector<OleString> names() const;
  std::size_t size() const { return variables_.size(); }

 private:
  struct Variable {
    OleString name;
    Value value;
  };

  // The variable's number, or -1.
  LONG numberOf(OleStringView name) const;

  std::vector<Variable> variables_;
};

}  // namespace vardelon::simulator
