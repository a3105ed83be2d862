#include "convert/element_types.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace vardelon {
namespace {

// How a Java element is kept on the automation side. The five numeric types
// keep their bits. A boolean is 8 bits in Java and a 16-bit VARIANT_BOOL on
// the automation side, where any non-zero value is true and true is written
// as 1 (not VARIANT_TRUE).
template <typename Element>
struct Encoding {
  using Stored = Element;
  static Element toJava(Stored stored) { return stored; }
  static Stored toAutomation(Element element) { return element; }
};

template <>
struct Encoding<jboolean> {
  using Stored = VARIANT_BOOL;
  static jboolean toJava(Stored stored) { return stored != 0 ? JNI_TRUE : JNI_FALSE; }
  static Stored toAutomation(jboolean element) { return element != JNI_FALSE ? 1 : 0; }
};

// A scalar VARIANT keeps its value at the start of its value union, in the
// same form as one element of a matrix of its type.
const void* scalarOf(const VARIANT& value) {
  return &V_BYREF(&value);
}
void* scalarOf(VARIANT& value) {
  return &V_BYREF(&value);
}

// The operations of one element type, made from its JNI calls: creating an
// array, copying a region out of and into one, and calling a wrapper's
// accessor.
template <auto NewArray, auto GetRegion, auto SetRegion, auto CallAccessor>
struct Operations {
  using Array = std::invoke_result_t<decltype(NewArray), JNIEnv&, jsize>;
  using Element = std::invoke_result_t<decltype(CallAccessor), JNIEnv&, jobject, jmethodID>;
  using Stored = typename Encoding<Element>::Stored;
  // Rows of numbers go over in one region call each; booleans, whose two
  // forms differ in width, one element per call.
  static constexpr bool kWholeRows = std::is_same_v<Element, Stored>;

  static Element load(const void* at) {
    Stored stored;
    std::memcpy(&stored, at, sizeof stored);
    return Encoding<Element>::toJava(stored);
  }

  static void store(void* at, Element element) {
    const Stored stored = Encoding<Element>::toAutomation(element);
    std::memcpy(at, &stored, sizeof stored);
  }

  static jobject box(JNIEnv* env, jclass wrapper, jmethodID constructor, const VARIANT& value) {
    return env->NewObject(wrapper, constructor, load(scalarOf(value)));
  }

  static void unbox(JNIEnv* env, jobject wrapper, jmethodID accessor, VARIANT& value) {
    store(scalarOf(value), (env->*CallAccessor)(wrapper, accessor));
  }

  static jarray newRow(JNIEnv* env, jsize length) { return (env->*NewArray)(length); }

  static void runToRow(JNIEnv* env, const std::byte* run, jsize length, jarray row) {
    const auto array = static_cast<Array>(row);
    if constexpr (kWholeRows) {
      (env->*SetRegion)(array, 0, length, reinterpret_cast<const Element*>(run));
    } else {
      for (jsize j = 0; j < length; ++j) {
        const Element element = load(run + j * sizeof(Stored));
        (env->*SetRegion)(array, j, 1, &element);
      }
    }
  }

  static void rowToRun(JNIEnv* env, jarray row, jsize length, std::byte* run) {
    const auto array = static_cast<Array>(row);
    if constexpr (kWholeRows) {
      (env->*GetRegion)(array, 0, length, reinterpret_cast<Element*>(run));
    } else {
      for (jsize j = 0; j < length; ++j) {
        Element element;
        (env->*GetRegion)(array, j, 1, &element);
        store(run + j * sizeof(Stored), element);
      }
    }
  }
};

template <auto NewArray, auto GetRegion, auto SetRegion, auto CallAccessor>
constexpr ElementType describe(VARTYPE tag, const char* wrapperClass,
                               const char* constructorSignature, const char* accessorName,
                               const char* accessorSignature, const char* rowClass,
                               const char* matrixClass) {
  using Type = Operations<NewArray, GetRegion, SetRegion, CallAccessor>;
  return {.tag = tag,
          .width = sizeof(typename Type::Stored),
          .wrapperClass = wrapperClass,
          .constructorSignature = constructorSignature,
          .accessorName = accessorName,
          .accessorSignature = accessorSignature,
          .rowClass = rowClass,
          .matrixClass = matrixClass,
          .box = &Type::box,
          .unbox = &Type::unbox,
          .newRow = &Type::newRow,
          .runToRow = &Type::runToRow,
          .rowToRun = &Type::rowToRun};
}

// The JNI calls of a primitive type, by the name JNI gives it.
#define VARDELON_JNI_CALLS(Name)                                                               \
  &JNIEnv::New##Name##Array, &JNIEnv::Get##Name##ArrayRegion, &JNIEnv::Set##Name##ArrayRegion, \
      &JNIEnv::Call##Name##Method

// clang-format off
constexpr ElementType kElementTypes[] = {
  //                                    tag      wrapper class        constructor  accessor        signature  row    matrix
  describe<VARDELON_JNI_CALLS(Double)> (VT_R8,   "java/lang/Double",  "(D)V",      "doubleValue",  "()D",      "[D",  "[[D"),
  describe<VARDELON_JNI_CALLS(Float)>  (VT_R4,   "java/lang/Float",   "(F)V",      "floatValue",   "()F",      "[F",  "[[F"),
  describe<VARDELON_JNI_CALLS(Byte)>   (VT_I1,   "java/lang/Byte",    "(B)V",      "byteValue",    "()B",      "[B",  "[[B"),
  describe<VARDELON_JNI_CALLS(Short)>  (VT_I2,   "java/lang/Short",   "(S)V",      "shortValue",   "()S",      "[S",  "[[S"),
  describe<VARDELON_JNI_CALLS(Int)>    (VT_I4,   "java/lang/Integer", "(I)V",      "intValue",     "()I",      "[I",  "[[I"),
  describe<VARDELON_JNI_CALLS(Boolean)>(VT_BOOL, "java/lang/Boolean", "(Z)V",      "booleanValue", "()Z",      "[Z",  "[[Z"),
};
// clang-format on

#undef VARDELON_JNI_CALLS

}  // namespace

std::span<const ElementType> elementTypes() {
  return kElementTypes;
}

const ElementType* elementTypeOf(VARTYPE tag) {
  const auto found = std::ranges::find(kElementTypes, tag, &ElementType::tag);
  return found == std::end(kElementTypes) ? nullptr : found;
}

}  // namespace vardelon
