#include "convert/java_to_variant.h"

#include "convert/element_types.h"
#include "convert/matrix_block.h"
#include "link/diagnostic.h"
#include "link/holders.h"
#include "link/text.h"

namespace vardelon {
namespace {

VARIANT variantOfType(VARTYPE tag) {
  VARIANT result;
  VariantInit(&result);
  V_VT(&result) = tag;
  return result;
}

// A null array, like a null row of an array of arrays, counts as empty.
jsize lengthOf(JNIEnv* env, jarray array) {
  return array != nullptr ? env->GetArrayLength(array) : 0;
}

// A new matrix of `rows` x `columns` zeros; VT_EMPTY after a diagnostic when
// no such SAFEARRAY can be had.
VARIANT createMatrix(jsize rows, jsize columns, VARTYPE elementType) {
  SAFEARRAYBOUND bounds[] = {{static_cast<ULONG>(rows), 0}, {static_cast<ULONG>(columns), 0}};
  unique_safearray array(SafeArrayCreate(elementType, 2, bounds));
  // Some platforms size the block with 32-bit arithmetic and would hand back
  // one that wrapped around.
  if (!array || !matrixFits(rows, columns, SafeArrayGetElemsize(array.get()))) {
    reportDiagnostic("Cannot create an OLE array of %d x %d elements\n", static_cast<int>(rows),
                     static_cast<int>(columns));
    return variantOfType(VT_EMPTY);
  }
  VARIANT result = variantOfType(VT_ARRAY | elementType);
  V_ARRAY(&result) = array.release();
  return result;
}

jsize columnsOf(SAFEARRAY* matrix) {
  LONG upper = -1;
  SafeArrayGetUBound(matrix, 2, &upper);
  return upper + 1;
}

// Copies each row to its run of the locked block. False when a row is longer
// than the matrix is wide (after a diagnostic) or when JNI fails (with the
// Java exception pending).
bool copyRows(JNIEnv* env, const ElementType& type, jobjectArray rows, SAFEARRAY* matrix) {
  const jsize columns = columnsOf(matrix);
  const LockedMatrix block(matrix, columns, type.width);
  const jsize count = env->GetArrayLength(rows);
  for (jsize i = 0; i < count; ++i) {
    const auto row = static_cast<jarray>(env->GetObjectArrayElement(rows, i));
    if (row == nullptr && env->ExceptionCheck()) return false;
    const jsize length = lengthOf(env, row);
    if (length > columns) {
      reportDiagnostic("Row %d of a Java matrix has %d elements, more than the %d of row 0\n",
                       static_cast<int>(i), static_cast<int>(length), static_cast<int>(columns));
      return false;
    }
    // A shorter row leaves the rest of its run zero.
    if (length > 0) type.rowToRun(env, row, length, block.row(i));
  }
  return true;
}

VARIANT wrapperToVariant(JNIEnv* env, const ElementType& type, jclass wrapper, jobject value) {
  jmethodID accessor = env->GetMethodID(wrapper, type.accessorName, type.accessorSignature);
  if (accessor == nullptr) return variantOfType(VT_EMPTY);
  VARIANT result = variantOfType(type.tag);
  type.unbox(env, value, accessor, result);
  return result;
}

VARIANT rowToVariant(JNIEnv* env, const ElementType& type, jclass, jobject value) {
  const auto row = static_cast<jarray>(value);
  VARIANT result = newRowMatrix(env, row, type.tag);
  if (V_VT(&result) == VT_EMPTY) return result;
  const jsize length = env->GetArrayLength(row);
  const LockedMatrix block(V_ARRAY(&result), length, type.width);
  type.rowToRun(env, row, length, block.row(0));
  return result;
}

VARIANT matrixToVariant(JNIEnv* env, const ElementType& type, jclass, jobject value) {
  const auto rows = static_cast<jobjectArray>(value);
  VARIANT result = newMatrix(env, rows, type.tag);
  if (V_VT(&result) != VT_EMPTY && !copyRows(env, type, rows, V_ARRAY(&result))) {
    VariantClear(&result);  // destroys the half-filled matrix and leaves VT_EMPTY
  }
  return result;
}

VARIANT textToVariant(JNIEnv* env, jobject value) {
  BSTR text = javaStringToBstr(env, static_cast<jstring>(value));
  if (text == nullptr) return variantOfType(VT_EMPTY);  // out of memory
  VARIANT result = variantOfType(VT_BSTR);
  V_BSTR(&result) = text;
  return result;
}

// The forms in which each element type is recognised, in the order they are
// tested: its wrapper, its one-dimensional array, its array of arrays.
struct Form {
  const char* ElementType::*className;
  VARIANT (*convert)(JNIEnv* env, const ElementType& type, jclass matched, jobject value);
};

constexpr Form kForms[] = {
    {&ElementType::wrapperClass, wrapperToVariant},
    {&ElementType::rowClass, rowToVariant},
    {&ElementType::matrixClass, matrixToVariant},
};

}  // namespace

VARIANT javaToVariant(JNIEnv* env, jobject value) {
  if (value == nullptr) return variantOfType(VT_NULL);
  for (const ElementType& type : elementTypes()) {
    for (const Form& form : kForms) {
      jclass candidate = env->FindClass(type.*form.className);
      if (candidate == nullptr) return variantOfType(VT_EMPTY);
      if (env->IsInstanceOf(value, candidate)) return form.convert(env, type, candidate, value);
    }
  }
  jclass string = env->FindClass("java/lang/String");
  if (string == nullptr) return variantOfType(VT_EMPTY);
  if (env->IsInstanceOf(value, string)) return textToVariant(env, value);
  reportDiagnostic("Unrecognized Java object class\n");
  return variantOfType(VT_EMPTY);
}

VARIANT newRowMatrix(JNIEnv* env, jarray array, VARTYPE elementType) {
  const jsize length = lengthOf(env, array);
  return createMatrix(length > 0 ? 1 : 0, length, elementType);
}

VARIANT newMatrix(JNIEnv* env, jobjectArray array, VARTYPE elementType) {
  const jsize rows = lengthOf(env, array);
  const auto first = rows > 0 ? static_cast<jarray>(env->GetObjectArrayElement(array, 0)) : nullptr;
  if (first == nullptr && env->ExceptionCheck()) return variantOfType(VT_EMPTY);
  return createMatrix(rows, lengthOf(env, first), elementType);
}

}  // namespace vardelon
