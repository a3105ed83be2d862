#include "values.h"

#include <cstddef>
#include <cstring>
#include <numeric>

#include "convert/variant_to_java.h"
#include "link/holders.h"

namespace vardelon::bench {
namespace {

double realValue(std::size_t position) {
  return static_cast<double>(position % 1000) * 0.5 - 100.0;
}

template <typename Element>
void store(std::byte* at, Element element) {
  std::memcpy(at, &element, sizeof element);
}

void storeValue(VARTYPE type, std::size_t position, std::byte* at) {
  switch (type) {
    case VT_R8:
      store(at, realValue(position));
      break;
    case VT_I2:
      store(at, static_cast<SHORT>(position % 1000));
      break;
    case VT_BOOL:
      store(at, position % 3 == 0 ? VARIANT_TRUE : VARIANT_FALSE);
      break;
    default:
      break;
  }
}

std::size_t elementsOf(Shape shape) {
  return static_cast<std::size_t>(shape.rows) * static_cast<std::size_t>(shape.columns);
}

}  // namespace

std::string shapeName(Shape shape) {
  return std::to_string(shape.rows) + "x" + std::to_string(shape.columns);
}

VARIANT newMatrixVariant(VARTYPE type, Shape shape) {
  SAFEARRAYBOUND bounds[] = {{static_cast<ULONG>(shape.rows), 0},
                             {static_cast<ULONG>(shape.columns), 0}};
  SAFEARRAY* array = SafeArrayCreate(type, 2, bounds);
  VARIANT matrix;
  VariantInit(&matrix);
  if (array == nullptr) return matrix;
  const UINT width = SafeArrayGetElemsize(array);
  SafeArrayLock(array);
  auto* block = static_cast<std::byte*>(array->pvData);
  for (std::size_t position = 0; position < elementsOf(shape); ++position) {
    storeValue(type, position, block + position * width);
  }
  SafeArrayUnlock(array);
  V_VT(&matrix) = VT_ARRAY | type;
  V_ARRAY(&matrix) = array;
  return matrix;
}

std::vector<double> realValues(Shape shape) {
  std::vector<double> values(elementsOf(shape));
  for (std::size_t position = 0; position < values.size(); ++position) {
    values[position] = realValue(position);
  }
  return values;
}

jobjectArray newJavaMatrix(JNIEnv* env, VARTYPE type, Shape shape) {
  unique_variant matrix(newMatrixVariant(type, shape));
  return static_cast<jobjectArray>(variantToJava(env, *matrix));
}

jdoubleArray newJavaRow(JNIEnv* env, jsize length) {
  const std::vector<double> values = realValues({1, length});
  jdoubleArray row = env->NewDoubleArray(length);
  if (row != nullptr) env->SetDoubleArrayRegion(row, 0, length, values.data());
  return row;
}

std::u16string matrixVariableName(const std::string& prefix, Shape shape) {
  const std::string name = prefix + shapeName(shape);
  return std::u16string(name.begin(), name.end());
}

jintArray newJavaNumbers(JNIEnv* env, jsize count) {
  std::vector<jint> numbers(static_cast<std::size_t>(count));
  std::iota(numbers.begin(), numbers.end(), 0);
  jintArray array = env->NewIntArray(count);
  if (array != nullptr) env->SetIntArrayRegion(array, 0, count, numbers.data());
  return array;
}

jstring newJavaText(JNIEnv* env, std::u16string_view text) {
  return env->NewString(reinterpret_cast<const jchar*>(text.data()),
                        static_cast<jsize>(text.size()));
}

}  // namespace vardelon::bench
