#include "variable_table.h"

#include <algorithm>

namespace vardelon::simulator {

LONG VariableTable::numberOf(OleStringView name) const {
  auto found = std::find_if(variables_.begin(), variables_.end(),
                            [name](const Variable& variable) { return variable.name == name; });
  return found == variables_.end() ? -1 : static_cast<LONG>(found - variables_.begin());
}

const Value* VariableTable::find(OleStringView name) const {
  return find(numberOf(name));
}

const Value* VariableTable::find(LONG number) const {
  if (number < 0 || static_cast<std::size_t>(number) >= variables_.size()) return nullptr;
  return &variables_[number].value;
}

HRESULT VariableTable::set(OleStringView name, const VARIANT& value) {
  Value copy;
  const HRESULT hr = copy.assign(value);
  if (SUCCEEDED(hr)) set(name, std::move(copy));
  return hr;
}

void VariableTable::set(OleStringView name, Value value) {
  const LONG number = numberOf(name);
  if (number >= 0) {
    variables_[number].value = std::move(value);
  } else {
    variables_.push_back({OleString(name), std::move(value)});
  }
}

HRESULT VariableTable::set(LONG number, const VARIANT& value) {
  if (find(number) == nullptr) return DISP_E_BADINDEX;
  return variables_[number].value.assign(value);
}

std::vector<OleString> VariableTable::names() const {
  std::vector<OleString> names;
  names.reserve(variables_.size());
  for (const Variable& variable : variables_) names.push_back(variable.name);
  return names;
}

}  // namespace vardelon::simulator
