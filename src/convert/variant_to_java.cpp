#include "convert/variant_to_java.h"

#include "convert/element_types.h"
#include "convert/matrix_block.h"
#include "link/diagnostic.h"
#include "link/text.h"

namespace vardelon {
namespace {

// Upper bound - lower bound + 1, in the 32-bit arithmetic in which the
// platform computes an upper bound, so that bounds near the ends of the LONG
// range still give the dimension's true count.
ULONG countOf(SAFEARRAY* array, UINT dimension) {
  LONG lower = 0;
  LONG upper = -1;
  SafeArrayGetLBound(array, dimension, &lower);
  SafeArrayGetUBound(array, dimension, &upper);
  return static_cast<ULONG>(upper) - static_cast<ULONG>(lower) + 1;
}

jobject boxScalar(JNIEnv* env, const ElementType& type, const VARIANT& value) {
  jclass wrapper = env->FindClass(type.wrapperClass);
  if (wrapper == nullptr) return nullptr;
  jmethodID constructor = env->GetMethodID(wrapper, "<init>", type.constructorSignature);
  if (constructor == nullptr) return nullptr;
  return type.box(env, wrapper, constructor, value);
}

// Fills `matrix` with one new row per run of the locked block. False, with
// the Java exception pending, when a row cannot be allocated.
bool copyRows(JNIEnv* env, const ElementType& type, SAFEARRAY* array, jobjectArray matrix,
              jsize rows, jsize columns) {
  const LockedMatrix block(array, columns, type.width);
  for (jsize i = 0; i < rows; ++i) {
    jarray row = type.newRow(env, columns);
    if (row == nullptr) return false;
    type.runToRow(env, block.row(i), columns, row);
    env->SetObjectArrayElement(matrix, i, row);
  }
  return true;
}

// The outer array is made before the block is locked, and the lock is held
// across all rows.
jobject matrixToJava(JNIEnv* env, const ElementType& type, SAFEARRAY* array, jsize rows,
                     jsize columns) {
  jclass rowClass = env->FindClass(type.rowClass);
  if (rowClass == nullptr) return nullptr;
  jobjectArray matrix = env->NewObjectArray(rows, rowClass, nullptr);
  if (matrix == nullptr) return nullptr;
  return copyRows(env, type, array, matrix, rows, columns) ? matrix : nullptr;
}

// Checks that `array` is a matrix that can be read as `type` without
// reading past its data block, then converts it.
jobject arrayToJava(JNIEnv* env, const ElementType& type, SAFEARRAY* array) {
  const UINT dimensions = array != nullptr ? SafeArrayGetDim(array) : 0;
  if (dimensions != 2) {
    reportDiagnostic("Unsupported number of dimensions of OLE array (%d)\n",
                     static_cast<int>(dimensions));
    return nullptr;
  }
  const UINT width = SafeArrayGetElemsize(array);
  if (width != type.width) {
    reportDiagnostic("Element size of OLE array (%u bytes) does not match its type (%d)\n", width,
                     type.tag);
    return nullptr;
  }
  const ULONG rows = countOf(array, 1);
  const ULONG columns = countOf(array, 2);
  if (!matrixFits(rows, columns, width)) {
    reportDiagnostic("Unsupported size of OLE array (%u x %u)\n", static_cast<unsigned>(rows),
                     static_cast<unsigned>(columns));
    return nullptr;
  }
  return matrixToJava(env, type, array, static_cast<jsize>(rows), static_cast<jsize>(columns));
}

}  // namespace

jobject variantToJava(JNIEnv* env, VARIANT value) {
  const VARTYPE tag = V_VT(&value);
  if (tag == VT_NULL) return nullptr;
  if (tag == VT_BSTR) return bstrToJavaString(env, V_BSTR(&value));
  if (tag & VT_ARRAY) {
    // By-reference arrays keep their VT_BYREF bit here and match no type.
    const int elementTag = tag & ~VT_ARRAY;
    const ElementType* type = elementTypeOf(static_cast<VARTYPE>(elementTag));
    if (type != nullptr) return arrayToJava(env, *type, V_ARRAY(&value));
    reportDiagnostic("Unknown OLE array type (%d)\n", elementTag);
    return nullptr;
  }
  if (const ElementType* type = elementTypeOf(tag)) return boxScalar(env, *type, value);
  reportDiagnostic("Unknown OLE variant type (%d)\n", tag);
  return nullptr;
}

}  // namespace vardelon
