// The shapes of the server's results, built into the caller's result VARIANT,
// which each function overwrites. Nothing is written when `result` is null.
#pragma once

#include <string_view>
#include <vector>

#include "ole_text.h"
#include "platform/automation.h"
#include "value.h"
#include "variable_table.h"

namespace vardelon::simulator {

HRESULT putInteger(LONG number, VARIANT* result);
HRESULT putText(OleStringView text, VARIANT* result);
// A copy of the value; DISP_E_UNKNOWNNAME when there is none.
HRESULT putValue(const Value* value, VARIANT* result);
// VT_ARRAY|VT_BSTR: one dimension, lower bound 0, the names in number order.
HRESULT putNames(const VariableTable& table, VARIANT* result);
// VT_ARRAY|VT_VARIANT: one dimension, lower bound 0, element i a copy of
// variable numbers[i], or VT_EMPTY when the table has no such number.
HRESULT putValues(const VariableTable& table, const std::vector<LONG>& numbers, VARIANT* result);

}  // namespace vardelon::simulator
