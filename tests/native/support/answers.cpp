#include "answers.h"

#include <algorithm>
#include <cstdlib>

namespace vardelon::testing {
namespace {

VARIANT emptyVariant() {
  VARIANT value;
  VariantInit(&value);
  return value;
}

SAFEARRAY* created(SAFEARRAY* array) {
  if (array == nullptr) std::abort();
  return array;
}

}  // namespace

OwnedVariant realVariant(double value) {
  VARIANT real = emptyVariant();
  V_VT(&real) = VT_R8;
  V_R8(&real) = value;
  return OwnedVariant::adopt(real);
}

OwnedVariant boolVariant(VARIANT_BOOL value) {
  VARIANT boolean = emptyVariant();
  V_VT(&boolean) = VT_BOOL;
  V_BOOL(&boolean) = value;
  return OwnedVariant::adopt(boolean);
}

OwnedVariant typedVariant(VARTYPE type) {
  VARIANT typed = emptyVariant();
  V_VT(&typed) = type;
  return OwnedVariant::adopt(typed);
}

OwnedVariant arrayVariant(VARTYPE tag, SAFEARRAY* array) {
  VARIANT holder = emptyVariant();
  V_VT(&holder) = tag;
  V_ARRAY(&holder) = array;
  return OwnedVariant::adopt(holder);
}

SAFEARRAY* bstrVector(LONG lower, const std::vector<std::optional<std::u16string>>& names) {
  SAFEARRAY* array = created(SafeArrayCreateVector(VT_BSTR, lower, names.size()));
  BSTR* data = static_cast<BSTR*>(array->pvData);
  for (std::size_t index = 0; index < names.size(); ++index) {
    if (names[index]) data[index] = SysAllocStringLen(names[index]->data(), names[index]->size());
  }
  return array;
}

SAFEARRAY* variantVector(LONG lower, const std::vector<OwnedVariant>& values) {
  SAFEARRAY* array = created(SafeArrayCreateVector(VT_VARIANT, lower, values.size()));
  VARIANT* data = static_cast<VARIANT*>(array->pvData);
  for (std::size_t index = 0; index < values.size(); ++index) {
    if (FAILED(VariantCopy(&data[index], values[index].get()))) std::abort();
  }
  return array;
}

SAFEARRAY* intVector(LONG lower, std::initializer_list<LONG> values) {
  SAFEARRAY* array = created(SafeArrayCreateVector(VT_I4, lower, values.size()));
  std::copy(values.begin(), values.end(), static_cast<LONG*>(array->pvData));
  return array;
}

SAFEARRAY* zeroMatrix(VARTYPE type, ULONG rows, ULONG columns) {
  SAFEARRAYBOUND bounds[] = {{rows, 0}, {columns, 0}};
  return created(SafeArrayCreate(type, 2, bounds));
}

SAFEARRAY* realMatrix(ULONG rows, ULONG columns, std::initializer_list<double> values) {
  if (values.size() != std::size_t{rows} * columns) std::abort();
  SAFEARRAY* array = zeroMatrix(VT_R8, rows, columns);
  std::copy(values.begin(), values.end(), static_cast<double*>(array->pvData));
  return array;
}

}  // namespace vardelon::testing
