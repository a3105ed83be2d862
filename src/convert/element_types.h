// The six element types that travel between Java and the server, as scalars
// and as matrix elements: every fact both conversions need, in one table.
#pragma once

#include <jni.h>

#include <cstddef>
#include <span>

#include "platform/automation.h"

namespace vardelon {

struct ElementType {
  VARTYPE tag;                       // of a scalar, and of a matrix's elements
  ULONG width;                       // bytes of one element in a matrix's data block
  const char* wrapperClass;          // "java/lang/Double"
  const char* constructorSignature;  // "(D)V"
  const char* accessorName;          // "doubleValue"
  const char* accessorSignature;     // "()D"
  const char* rowClass;              // "[D"
  const char* matrixClass;           // "[[D"

  // A new wrapper object (through `constructor`) of the scalar that `value`,
  // tagged with `tag`, holds.
  jobject (*box)(JNIEnv* env, jclass wrapper, jmethodID constructor, const VARIANT& value);
  // Stores the value that `accessor` gives for `wrapper` as the scalar of
  // `value`; the caller tags it.
  void (*unbox)(JNIEnv* env, jobject wrapper, jmethodID accessor, VARIANT& value);
  // A new Java row of `length` elements, or null when the JVM cannot allocate.
  jarray (*newRow)(JNIEnv* env, jsize length);
  // Copy `length` elements between a Java row (from index 0) and the run of
  // a matrix's data block that starts at `run`.
  void (*runToRow)(JNIEnv* env, const std::byte* run, jsize length, jarray row);
  void (*rowToRun)(JNIEnv* env, jarray row, jsize length, std::byte* run);
};

// double, float, byte, short, int, boolean: the order in which Java classes
// are recognised.
std::span<const ElementType> elementTypes();

// The type tagged `tag` (compared as a whole), or null.
const ElementType* elementTypeOf(VARTYPE tag);

}  // namespace vardelon
