// Random Java values through javaToVariant and back through variantToJava,
// in a JVM embedded in this process. What comes back must equal what was
// sent, under the conversions' rules: a boxed scalar as an equal object of
// its class, text cut at its first U+0000, a one-dimensional array as a
// matrix of one row (none when empty), an array of arrays as rows as long as
// its row 0 with shorter and null rows padded with zeros, and no value for a
// row longer than row 0 or a class that is not recognised, each after its
// diagnostic lines. Booleans reach the automation side as 1 and 0. Arrays as
// a misbehaving server might return them come back as a matrix read in row
// order or as null after one diagnostic line. No crash, no leaked BSTR or
// SAFEARRAY, no Java exception left pending.
#include <fuzzer/FuzzedDataProvider.h>
#include <jni.h>
#include <sanitizer/common_interface_defs.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "convert/java_to_variant.h"
#include "convert/variant_to_java.h"
#include "fuzz_check.h"
#include "platform/automation.h"
#include "stderr_capture.h"

// The JVM handles its own signals (it uses SIGSEGV for null checks and
// safepoints), and keeps allocations for its whole life.
extern "C" const char* __asan_default_options() {
  return "handle_segv=0:allow_user_segv_handler=1:detect_leaks=0";
}

namespace vardelon::fuzz {
namespace {

JNIEnv* env = nullptr;

// One of the six primitive types: its array descriptor, width, wrapper
// class and the JNI calls for its arrays.
struct Primitive {
  const char* code;  // "D"
  VARTYPE tag;       // VT_R8
  std::size_t width;
  const char* wrapper;
  const char* valueOfSignature;
  jarray (*newArray)(jsize length);
  void (*setRegion)(jarray array, jsize length, const void* elements);
  void (*getRegion)(jarray array, jsize length, void* elements);
};

template <typename Element, typename Array, Array (JNIEnv::*New)(jsize),
          void (JNIEnv::*Set)(Array, jsize, jsize, const Element*),
          void (JNIEnv::*Get)(Array, jsize, jsize, Element*)>
constexpr Primitive primitive(const char* code, VARTYPE tag, const char* wrapper,
                              const char* valueOf) {
  return {code,
          tag,
          sizeof(Element),
          wrapper,
          valueOf,
          [](jsize length) -> jarray { return (env->*New)(length); },
          [](jarray array, jsize length, const void* elements) {
            (env->*Set)(static_cast<Array>(array), 0, length,
                        static_cast<const Element*>(elements));
          },
          [](jarray array, jsize length, void* elements) {
            (env->*Get)(static_cast<Array>(array), 0, length, static_cast<Element*>(elements));
          }};
}

const Primitive kPrimitives[] = {
    primitive<jdouble, jdoubleArray, &JNIEnv::NewDoubleArray, &JNIEnv::SetDoubleArrayRegion,
              &JNIEnv::GetDoubleArrayRegion>("D", VT_R8, "java/lang/Double",
                                             "(D)Ljava/lang/Double;"),
    primitive<jfloat, jfloatArray, &JNIEnv::NewFloatArray, &JNIEnv::SetFloatArrayRegion,
              &JNIEnv::GetFloatArrayRegion>("F", VT_R4, "java/lang/Float", "(F)Ljava/lang/Float;"),
    primitive<jbyte, jbyteArray, &JNIEnv::NewByteArray, &JNIEnv::SetByteArrayRegion,
              &JNIEnv::GetByteArrayRegion>("B", VT_I1, "java/lang/Byte", "(B)Ljava/lang/Byte;"),
    primitive<jshort, jshortArray, &JNIEnv::NewShortArray, &JNIEnv::SetShortArrayRegion,
              &JNIEnv::GetShortArrayRegion>("S", VT_I2, "java/lang/Short", "(S)Ljava/lang/Short;"),
    primitive<jint, jintArray, &JNIEnv::NewIntArray, &JNIEnv::SetIntArrayRegion,
              &JNIEnv::GetIntArrayRegion>("I", VT_I4, "java/lang/Integer",
                                          "(I)Ljava/lang/Integer;"),
    primitive<jboolean, jbooleanArray, &JNIEnv::NewBooleanArray, &JNIEnv::SetBooleanArrayRegion,
              &JNIEnv::GetBooleanArrayRegion>("Z", VT_BOOL, "java/lang/Boolean",
                                              "(Z)Ljava/lang/Boolean;"),
};

bool isBoolean(const Primitive& type) {
  return type.code[0] == 'Z';
}

// Elements of `type` from the input; booleans are 0 or 1, as Java's are.
std::vector<std::byte> elementsFrom(FuzzedDataProvider& input, const Primitive& type,
                                    std::size_t count) {
  std::vector<std::byte> elements(count * type.width);
  const std::vector<std::uint8_t> bytes = input.ConsumeBytes<std::uint8_t>(elements.size());
  if (!bytes.empty()) std::memcpy(elements.data(), bytes.data(), bytes.size());
  if (isBoolean(type)) {
    for (std::byte& element : elements) element = std::byte{element != std::byte{0}};
  }
  return elements;
}

jarray newRow(const Primitive& type, const std::vector<std::byte>& elements) {
  const auto length = static_cast<jsize>(elements.size() / type.width);
  jarray row = type.newArray(length);
  type.setRegion(row, length, elements.data());
  return row;
}

std::vector<std::byte> elementsOf(const Primitive& type, jarray row) {
  const jsize length = env->GetArrayLength(row);
  std::vector<std::byte> elements(static_cast<std::size_t>(length) * type.width);
  type.getRegion(row, length, elements.data());
  return elements;
}

// Booleans go to the server as 1 and 0, never VARIANT_TRUE.
void checkBooleans(const VARIANT& value) {
  if (V_VT(&value) == VT_BOOL) FUZZ_CHECK(V_BOOL(&value) == 0 || V_BOOL(&value) == 1);
  if (V_VT(&value) != (VT_ARRAY | VT_BOOL)) return;
  SAFEARRAY* array = V_ARRAY(&value);
  LONG rows = 0;
  LONG columns = 0;
  SafeArrayGetUBound(array, 1, &rows);
  SafeArrayGetUBound(array, 2, &columns);
  VARIANT_BOOL* elements = nullptr;
  SafeArrayAccessData(array, reinterpret_cast<void**>(&elements));
  for (LONG i = 0; i < (rows + 1) * (columns + 1); ++i) {
    FUZZ_CHECK(elements[i] == 0 || elements[i] == 1);
  }
  SafeArrayUnaccessData(array);
}

// A value sent through both conversions: what came back and what the two
// conversions wrote to standard error.
struct RoundTrip {
  jobject back = nullptr;
  std::string diagnostics;
};

// What variantToJava makes of a value from the server.
RoundTrip toJava(const VARIANT& value) {
  RoundTrip trip;
  trip.diagnostics = testing::captureStderr([&] { trip.back = variantToJava(env, value); });
  FUZZ_CHECK(!env->ExceptionCheck());
  return trip;
}

RoundTrip roundTrip(jobject sent) {
  VARIANT value{};
  const std::string sending = testing::captureStderr([&] { value = javaToVariant(env, sent); });
  checkBooleans(value);
  RoundTrip trip = toJava(value);
  trip.diagnostics.insert(0, sending);
  VariantClear(&value);
  return trip;
}

constexpr const char* kNoValue = "Unknown OLE variant type (0)\n";

void checkNull() {
  const RoundTrip trip = roundTrip(nullptr);
  FUZZ_CHECK(trip.back == nullptr && trip.diagnostics.empty());
}

void checkBoxed(FuzzedDataProvider& input, const Primitive& type) {
  jvalue scalar{};
  const std::vector<std::byte> bytes = elementsFrom(input, type, 1);
  std::memcpy(&scalar, bytes.data(), type.width);
  jclass wrapper = env->FindClass(type.wrapper);
  jobject sent = env->CallStaticObjectMethodA(
      wrapper, env->GetStaticMethodID(wrapper, "valueOf", type.valueOfSignature), &scalar);

  const RoundTrip trip = roundTrip(sent);
  FUZZ_CHECK(trip.diagnostics.empty());
  FUZZ_CHECK(trip.back != nullptr && env->IsInstanceOf(trip.back, wrapper));
  jmethodID equals = env->GetMethodID(wrapper, "equals", "(Ljava/lang/Object;)Z");
  FUZZ_CHECK(env->CallBooleanMethod(sent, equals, trip.back));
}

void checkText(FuzzedDataProvider& input) {
  const std::u16string units = unitsFromBytes(input.ConsumeRandomLengthString());
  jstring sent = env->NewString(reinterpret_cast<const jchar*>(units.data()),
                                static_cast<jsize>(units.size()));
  const std::u16string expected = units.substr(0, units.find(u'\0'));

  const RoundTrip trip = roundTrip(sent);
  FUZZ_CHECK(trip.diagnostics.empty());
  FUZZ_CHECK(trip.back != nullptr &&
             env->IsInstanceOf(trip.back, env->FindClass("java/lang/String")));
  const auto text = static_cast<jstring>(trip.back);
  std::u16string back(static_cast<std::size_t>(env->GetStringLength(text)), u'\0');
  env->GetStringRegion(text, 0, static_cast<jsize>(back.size()),
                       reinterpret_cast<jchar*>(back.data()));
  FUZZ_CHECK(back == expected);
}

// The rows that must come back, each as its elements; `rows` is null when
// nothing may come back.
void checkMatrix(jobject sent, const Primitive& type,
                 const std::vector<std::vector<std::byte>>* rows, const std::string& diagnostics) {
  const RoundTrip trip = roundTrip(sent);
  FUZZ_CHECK(trip.diagnostics == diagnostics);
  if (rows == nullptr) return FUZZ_CHECK(trip.back == nullptr);
  const std::string matrixClass = std::string("[[") + type.code;
  FUZZ_CHECK(trip.back != nullptr &&
             env->IsInstanceOf(trip.back, env->FindClass(matrixClass.c_str())));
  const auto matrix = static_cast<jobjectArray>(trip.back);
  FUZZ_CHECK(env->GetArrayLength(matrix) == static_cast<jsize>(rows->size()));
  for (std::size_t i = 0; i < rows->size(); ++i) {
    const auto row = static_cast<jarray>(env->GetObjectArrayElement(matrix, static_cast<jsize>(i)));
    FUZZ_CHECK(row != nullptr && elementsOf(type, row) == (*rows)[i]);
    env->DeleteLocalRef(row);
  }
}

void checkRow(FuzzedDataProvider& input, const Primitive& type) {
  const std::vector<std::byte> elements =
      elementsFrom(input, type, input.ConsumeIntegralInRange<std::size_t>(0, 64));
  // An empty array travels as a 0 x 0 matrix: no rows come back.
  std::vector<std::vector<std::byte>> rows;
  if (!elements.empty()) rows.push_back(elements);
  checkMatrix(newRow(type, elements), type, &rows, "");
}

// An array of arrays of random shape: rows of any length, some null.
void checkRows(FuzzedDataProvider& input, const Primitive& type) {
  const auto count = input.ConsumeIntegralInRange<jsize>(0, 8);
  const bool rectangular = input.ConsumeBool();
  const auto width = input.ConsumeIntegralInRange<std::size_t>(0, 16);
  const std::string rowClass = std::string("[") + type.code;
  jobjectArray sent = env->NewObjectArray(count, env->FindClass(rowClass.c_str()), nullptr);

  std::vector<std::vector<std::byte>> rows;  // as sent; null rows empty
  std::vector<bool> nullRows;
  for (jsize i = 0; i < count; ++i) {
    const bool null = !rectangular && input.ConsumeIntegralInRange(0, 7) == 0;
    const std::size_t length =
        rectangular ? width : input.ConsumeIntegralInRange<std::size_t>(0, 16);
    rows.push_back(null ? std::vector<std::byte>{} : elementsFrom(input, type, length));
    nullRows.push_back(null);
    if (!null) env->SetObjectArrayElement(sent, i, newRow(type, rows.back()));
  }

  // Row 0 gives the width; a longer row refuses the whole value.
  const std::size_t columns = rows.empty() ? 0 : rows.front().size() / type.width;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::size_t length = rows[i].size() / type.width;
    if (length > columns) {
      const std::string refusal = "Row " + std::to_string(i) + " of a Java matrix has " +
                                  std::to_string(length) + " elements, more than the " +
                                  std::to_string(columns) + " of row 0\n";
      return checkMatrix(sent, type, nullptr, refusal + kNoValue);
    }
  }
  for (std::vector<std::byte>& row : rows) row.resize(columns * type.width);  // zeros
  checkMatrix(sent, type, &rows, "");
}

// Values of classes the conversion does not know: other wrappers, arrays
// of other types, arrays of objects and of three dimensions.
void checkUnrecognised(FuzzedDataProvider& input) {
  const char* const arrayClasses[] = {
      "[C", "[J", "Ljava/lang/Double;", "Ljava/lang/String;", "[[D", "Ljava/lang/Object;"};
  jobject sent = nullptr;
  if (input.ConsumeBool()) {
    jclass boxed = env->FindClass("java/lang/Long");
    sent = env->CallStaticObjectMethod(
        boxed, env->GetStaticMethodID(boxed, "valueOf", "(J)Ljava/lang/Long;"),
        input.ConsumeIntegral<jlong>());
  } else {
    const std::string element = input.PickValueInArray(arrayClasses);
    jclass elementClass = env->FindClass(
        element.front() == 'L' ? element.substr(1, element.size() - 2).c_str() : element.c_str());
    sent = env->NewObjectArray(input.ConsumeIntegralInRange(0, 3), elementClass, nullptr);
  }
  const RoundTrip trip = roundTrip(sent);
  FUZZ_CHECK(trip.back == nullptr);
  FUZZ_CHECK(trip.diagnostics == std::string("Unrecognized Java object class\n") + kNoValue);
}

const Primitive* primitiveOf(VARTYPE tag) {
  for (const Primitive& type : kPrimitives) {
    if (type.tag == tag) return &type;
  }
  return nullptr;
}

// A SAFEARRAY of any element type, 0 to 3 dimensions and any bounds, its
// numbers random; null when there is none of that shape.
SAFEARRAY* serverArray(FuzzedDataProvider& input, VARTYPE elementType) {
  SAFEARRAYBOUND bounds[3] = {};
  const auto dimensions = input.ConsumeIntegralInRange<UINT>(0, 3);
  for (UINT i = 0; i < dimensions; ++i) {
    bounds[i].cElements = input.ConsumeIntegralInRange<ULONG>(0, 5);
    bounds[i].lLbound = input.ConsumeBool() ? input.ConsumeIntegral<LONG>()
                                            : input.ConsumeIntegralInRange<LONG>(0, 3);
  }
  SAFEARRAY* array = dimensions > 0 ? SafeArrayCreate(elementType, dimensions, bounds) : nullptr;
  if (array == nullptr || elementType == VT_BSTR || elementType == VT_VARIANT) return array;
  std::size_t size = SafeArrayGetElemsize(array);
  for (UINT i = 0; i < dimensions; ++i) size *= bounds[i].cElements;
  const std::vector<std::uint8_t> bytes = input.ConsumeBytes<std::uint8_t>(size);
  if (!bytes.empty()) std::memcpy(array->pvData, bytes.data(), bytes.size());
  return array;
}

// The count of one dimension, as upper - lower + 1 in 32 bits.
jsize countOf(SAFEARRAY* array, UINT dimension) {
  LONG lower = 0;
  LONG upper = -1;
  SafeArrayGetLBound(array, dimension, &lower);
  SafeArrayGetUBound(array, dimension, &upper);
  return static_cast<jsize>(static_cast<ULONG>(upper) - static_cast<ULONG>(lower) + 1);
}

// A matrix of `type` read from `array`: one row per count of dimension 1,
// each the next run of the data block (booleans true where not zero).
void checkReadInRowOrder(jobject back, const Primitive& type, SAFEARRAY* array) {
  const std::string matrixClass = std::string("[[") + type.code;
  FUZZ_CHECK(env->IsInstanceOf(back, env->FindClass(matrixClass.c_str())));
  const auto matrix = static_cast<jobjectArray>(back);
  const jsize rows = countOf(array, 1);
  const auto columns = static_cast<std::size_t>(countOf(array, 2));
  FUZZ_CHECK(env->GetArrayLength(matrix) == rows);
  const auto* block = static_cast<const std::byte*>(array->pvData);
  for (jsize i = 0; i < rows; ++i) {
    const auto row = static_cast<jarray>(env->GetObjectArrayElement(matrix, i));
    const std::vector<std::byte> elements = elementsOf(type, row);
    FUZZ_CHECK(elements.size() == columns * type.width);
    for (std::size_t j = 0; j < columns; ++j) {
      if (isBoolean(type)) {
        VARIANT_BOOL flag = 0;
        std::memcpy(&flag, block + (i * columns + j) * sizeof flag, sizeof flag);
        FUZZ_CHECK(elements[j] == std::byte{flag != 0});
      } else {
        FUZZ_CHECK(std::memcmp(&elements[j * type.width], block + (i * columns + j) * type.width,
                               type.width) == 0);
      }
    }
    env->DeleteLocalRef(row);
  }
}

// A value as a misbehaving server might return it: an array tag of any
// element type, by reference or not, over an array of any element type,
// shape and bounds, or none. Either it comes back as a matrix in row order
// or as null after one diagnostic line; a matrix of one of the six types
// whose element type matches its tag always comes back.
void checkServerValue(FuzzedDataProvider& input, const Primitive& type) {
  const VARTYPE otherTypes[] = {VT_UI1, VT_UI2, VT_I8, VT_R8, VT_I4, VT_BSTR, VT_VARIANT};
  const VARTYPE elementType = input.ConsumeBool() ? type.tag : input.PickValueInArray(otherTypes);
  // Any array tag, by reference too; never a scalar tag over an array.
  const auto anyArrayTag = [&] {
    return static_cast<VARTYPE>(VT_ARRAY |
                                (input.ConsumeIntegral<VARTYPE>() & (VT_BYREF | VT_TYPEMASK)));
  };
  const VARTYPE tag = input.ConsumeIntegralInRange(0, 7) == 0 ? anyArrayTag() : VT_ARRAY | type.tag;
  SAFEARRAY* array = serverArray(input, elementType);
  VARIANT value{};
  V_VT(&value) = tag;
  if (tag & VT_BYREF) {
    V_ARRAYREF(&value) = &array;
  } else {
    V_ARRAY(&value) = array;
  }

  const RoundTrip trip = toJava(value);
  const bool wellFormed = tag == (VT_ARRAY | type.tag) && elementType == type.tag &&
                          array != nullptr && SafeArrayGetDim(array) == 2;
  if (trip.back == nullptr) {
    FUZZ_CHECK(!wellFormed);
    FUZZ_CHECK(!trip.diagnostics.empty() &&
               trip.diagnostics.find('\n') == trip.diagnostics.size() - 1);
  } else {
    const Primitive* read = primitiveOf(tag & ~VT_ARRAY);
    FUZZ_CHECK(read != nullptr && trip.diagnostics.empty());
    checkReadInRowOrder(trip.back, *read, array);
  }
  SafeArrayDestroy(array);
}

void checkOneValue(FuzzedDataProvider& input) {
  const Primitive& type = input.PickValueInArray(kPrimitives);
  switch (input.ConsumeIntegralInRange(0, 6)) {
    case 0:
      return checkNull();
    case 1:
      return checkBoxed(input, type);
    case 2:
      return checkText(input);
    case 3:
      return checkRow(input, type);
    case 4:
      return checkRows(input, type);
    case 5:
      return checkUnrecognised(input);
    default:
      return checkServerValue(input, type);
  }
}

JNIEnv* createJvm() {
  JavaVMOption options[] = {{const_cast<char*>("-Xmx256m"), nullptr},
                            {const_cast<char*>("-Xrs"), nullptr}};
  JavaVMInitArgs args{JNI_VERSION_1_8, std::size(options), options, JNI_FALSE};
  JavaVM* vm = nullptr;
  JNIEnv* created = nullptr;
  FUZZ_CHECK(JNI_CreateJavaVM(&vm, reinterpret_cast<void**>(&created), &args) == JNI_OK);
  return created;
}

}  // namespace
}  // namespace vardelon::fuzz

// Starts the JVM, leaves its signals to it (libFuzzer flags first, so that
// the command line can still override them), and sends sanitizer reports to
// the standard error stream that the conversions' capture does not touch.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<char*> arguments;
  static char jvmSignals[][16] = {"-handle_segv=0", "-handle_bus=0",  "-handle_fpe=0",
                                  "-handle_ill=0",  "-handle_usr1=0", "-handle_usr2=0",
                                  "-detect_leaks=0"};
  arguments.assign(*argv, *argv + 1);
  for (char* flag : jvmSignals) arguments.push_back(flag);
  arguments.insert(arguments.end(), *argv + 1, *argv + *argc);
  arguments.push_back(nullptr);
  *argc = static_cast<int>(arguments.size() - 1);
  *argv = arguments.data();

  __sanitizer_set_report_fd(
      reinterpret_cast<void*>(static_cast<std::intptr_t>(dup(STDERR_FILENO))));
  vardelon::fuzz::env = vardelon::fuzz::createJvm();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vardelon::fuzz;
  const LiveCounts before;
  FUZZ_CHECK(env->PushLocalFrame(64) == JNI_OK);
  FuzzedDataProvider input(data, size);
  checkOneValue(input);
  env->PopLocalFrame(nullptr);
  FUZZ_CHECK(LiveCounts() == before);
  return 0;
}
