#include "fake_jni_env.h"

#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

namespace vardelon::wine {
namespace {

// The function slots of JNINativeInterface_ after its reserved words, in
// table order, as the build read them from jni.h.
constexpr const char* kSlotNames[] = {
#include "jni_slot_names.inc"
};
constexpr std::size_t kReservedSlots = 4;
constexpr std::size_t kSlotCount = std::size(kSlotNames);
static_assert(sizeof(JNINativeInterface_) == (kReservedSlots + kSlotCount) * sizeof(void*),
              "every slot of the JNI function table has a name");

[[noreturn]] void stop(const char* what, std::string_view detail = "") {
  std::printf("fake JNI environment: %s%.*s\n", what, static_cast<int>(detail.size()),
              detail.data());
  std::fflush(stdout);
  std::abort();
}

// The arguments a caller passes are never read: the stub only names its slot.
template <std::size_t Slot>
void JNICALL unserved() {
  stop("the library called a function it does not serve: ", kSlotNames[Slot]);
}

using Stub = void(JNICALL*)();

template <std::size_t... Slot>
constexpr std::array<Stub, sizeof...(Slot)> stubsFor(std::index_sequence<Slot...>) {
  return {&unserved<Slot>...};
}

constexpr auto kUnservedStubs = stubsFor(std::make_index_sequence<kSlotCount>());

// Java's modified UTF-8: one to three bytes a UTF-16 code unit.
std::u16string fromModifiedUtf8(const char* bytes) {
  std::u16string units;
  for (const auto* byte = reinterpret_cast<const unsigned char*>(bytes); *byte != 0;) {
    const int trailing = *byte < 0x80 ? 0 : (*byte >> 5) == 0x6 ? 1 : (*byte >> 4) == 0xE ? 2 : -1;
    if (trailing < 0) stop("not modified UTF-8: ", bytes);
    char16_t unit = trailing == 0 ? *byte : *byte & (trailing == 1 ? 0x1F : 0x0F);
    ++byte;
    for (int i = 0; i < trailing; ++i, ++byte) {
      if ((*byte & 0xC0) != 0x80) stop("not modified UTF-8: ", bytes);
      unit = static_cast<char16_t>(unit << 6 | (*byte & 0x3F));
    }
    units.push_back(unit);
  }
  return units;
}

// A wrapper class with its primitive type and its accessor.
struct Wrapper {
  char type;
  const char* className;
  const char* accessor;
};

constexpr Wrapper kWrappers[] = {
    {'B', "java/lang/Byte", "byteValue"},     {'S', "java/lang/Short", "shortValue"},
    {'I', "java/lang/Integer", "intValue"},   {'F', "java/lang/Float", "floatValue"},
    {'D', "java/lang/Double", "doubleValue"}, {'Z', "java/lang/Boolean", "booleanValue"},
};

const Wrapper* wrapperOf(std::string_view className) {
  for (const Wrapper& wrapper : kWrappers) {
    if (className == wrapper.className) return &wrapper;
  }
  return nullptr;
}

std::size_t widthOf(char type) {
  switch (type) {
    case 'B':
    case 'Z':
      return 1;
    case 'S':
      return 2;
    case 'I':
    case 'F':
      return 4;
    case 'D':
      return 8;
  }
  stop("no primitive type ", std::string_view(&type, 1));
}

}  // namespace

// The function table's entries. Each counts the call and stops the program
// on an argument for which a JVM would throw or fail.
struct FakeJniFunctions {
  static FakeJniEnv& of(JNIEnv* env) {
    FakeJniEnv& self = *static_cast<FakeJniEnv*>(env);
    ++self.calls_;
    return self;
  }

  static FakeObject& objectOf(FakeJniEnv& self, jobject reference, const char* function) {
    const FakeObject* object = self.objectOf(reference);
    if (object == nullptr) stop("a reference that is not a live object, passed to ", function);
    return *const_cast<FakeObject*>(object);
  }

  static FakeObject& stringOf(FakeJniEnv& self, jstring text, const char* function) {
    FakeObject& object = objectOf(self, text, function);
    if (object.className != "java/lang/String") stop("not a string, passed to ", function);
    return object;
  }

  static const std::string& classOf(jclass type) {
    if (type == nullptr) stop("a null class");
    return *reinterpret_cast<const std::string*>(type);
  }

  static jobject referenceTo(FakeObject& object) { return reinterpret_cast<jobject>(&object); }

  // Strings

  static jstring JNICALL newString(JNIEnv* env, const jchar* units, jsize length) {
    FakeJniEnv& self = of(env);
    if (length < 0 || (units == nullptr && length > 0)) stop("NewString with no characters");
    const auto* first = reinterpret_cast<const char16_t*>(units);
    return static_cast<jstring>(referenceTo(
        self.adopt(FakeObject("java/lang/String", std::u16string(first, first + length)))));
  }

  static jstring JNICALL newStringUtf(JNIEnv* env, const char* bytes) {
    FakeJniEnv& self = of(env);
    if (bytes == nullptr) stop("NewStringUTF with no bytes");
    return static_cast<jstring>(
        referenceTo(self.adopt(FakeObject("java/lang/String", fromModifiedUtf8(bytes)))));
  }

  static jsize JNICALL getStringLength(JNIEnv* env, jstring text) {
    FakeJniEnv& self = of(env);
    return static_cast<jsize>(stringOf(self, text, "GetStringLength").text.size());
  }

  static const jchar* JNICALL getStringChars(JNIEnv* env, jstring text, jboolean* isCopy) {
    FakeJniEnv& self = of(env);
    const std::u16string& units = stringOf(self, text, "GetStringChars").text;
    ++self.pinnedStrings_;
    if (isCopy != nullptr) *isCopy = JNI_FALSE;
    return reinterpret_cast<const jchar*>(units.c_str());
  }

  static void JNICALL releaseStringChars(JNIEnv* env, jstring text, const jchar* chars) {
    FakeJniEnv& self = of(env);
    if (reinterpret_cast<const jchar*>(stringOf(self, text, "ReleaseStringChars").text.c_str()) !=
        chars) {
      stop("ReleaseStringChars with characters of another string");
    }
    --self.pinnedStrings_;
  }

  // Classes, wrappers and their methods

  static jclass JNICALL findClass(JNIEnv* env, const char* name) {
    FakeJniEnv& self = of(env);
    if (name == nullptr || *name == 0 || std::strchr(name, '.') != nullptr) {
      stop("FindClass of a malformed name: ", name != nullptr ? name : "(null)");
    }
    for (std::string& known : self.classes_) {
      if (known == name) return reinterpret_cast<jclass>(&known);
    }
    return reinterpret_cast<jclass>(&self.classes_.emplace_back(name));
  }

  static jboolean JNICALL isInstanceOf(JNIEnv* env, jobject object, jclass type) {
    FakeJniEnv& self = of(env);
    const std::string& className = classOf(type);
    if (object == nullptr) return JNI_TRUE;  // as JNI defines it for null
    const FakeObject& instance = objectOf(self, object, "IsInstanceOf");
    return instance.className == className || className == "java/lang/Object";
  }

  // A wrapper's constructor "(X)V" or its accessor "()X", and nothing else.
  static jmethodID JNICALL getMethodId(JNIEnv* env, jclass type, const char* name,
                                       const char* signature) {
    FakeJniEnv& self = of(env);
    const std::string& className = classOf(type);
    const Wrapper* wrapper = wrapperOf(className);
    const std::string constructor = std::string("(") + (wrapper ? wrapper->type : '?') + ")V";
    const std::string accessor = std::string("()") + (wrapper ? wrapper->type : '?');
    const bool known = wrapper != nullptr &&
                       ((std::strcmp(name, "<init>") == 0 && signature == constructor) ||
                        (name == std::string_view(wrapper->accessor) && signature == accessor));
    if (!known) stop("GetMethodID of an unknown method: ", className + "." + name + signature);
    return reinterpret_cast<jmethodID>(
        &self.methods_.emplace_back(FakeJniEnv::Method{className, name, signature}));
  }

  static const FakeJniEnv::Method& methodOf(jmethodID method) {
    if (method == nullptr) stop("a null method");
    return *reinterpret_cast<const FakeJniEnv::Method*>(method);
  }

  static jobject JNICALL newObjectV(JNIEnv* env, jclass type, jmethodID method, va_list arguments) {
    FakeJniEnv& self = of(env);
    const FakeJniEnv::Method& constructor = methodOf(method);
    if (constructor.name != "<init>" || constructor.className != classOf(type)) {
      stop("NewObject with a method that is not the class's constructor");
    }
    FakeObject object(constructor.className);
    // Variadic arguments arrive promoted: int for the narrow types, double for float.
    switch (constructor.signature[1]) {
      case 'B':
        object.boxed.b = static_cast<jbyte>(va_arg(arguments, int));
        break;
      case 'S':
        object.boxed.s = static_cast<jshort>(va_arg(arguments, int));
        break;
      case 'Z':
        object.boxed.z = static_cast<jboolean>(va_arg(arguments, int));
        break;
      case 'I':
        object.boxed.i = va_arg(arguments, jint);
        break;
      case 'F':
        object.boxed.f = static_cast<jfloat>(va_arg(arguments, double));
        break;
      case 'D':
        object.boxed.d = va_arg(arguments, double);
        break;
    }
    return referenceTo(self.adopt(std::move(object)));
  }

  template <typename Element, Element jvalue::*Field>
  static Element JNICALL callAccessorV(JNIEnv* env, jobject object, jmethodID method, va_list) {
    FakeJniEnv& self = of(env);
    const FakeJniEnv::Method& accessor = methodOf(method);
    const FakeObject& wrapper = objectOf(self, object, "an accessor call");
    if (accessor.name == "<init>" || accessor.className != wrapper.className ||
        accessor.signature.back() != jniTypeOf<Element>()) {
      stop("an accessor called on an object of another class: ", wrapper.className);
    }
    return wrapper.boxed.*Field;
  }

  static jboolean JNICALL exceptionCheck(JNIEnv* env) {
    of(env);
    return JNI_FALSE;  // nothing here ever throws
  }

  // Arrays

  static jsize JNICALL getArrayLength(JNIEnv* env, jarray array) {
    FakeJniEnv& self = of(env);
    const FakeObject& object = objectOf(self, array, "GetArrayLength");
    if (!object.className.starts_with("[")) stop("GetArrayLength of a ", object.className);
    return static_cast<jsize>(object.length());
  }

  static FakeObject& referenceArrayOf(FakeJniEnv& self, jobjectArray array, jsize index,
                                      const char* function) {
    FakeObject& object = objectOf(self, array, function);
    if (!object.className.starts_with("[") || object.elementType() != 0) {
      stop("not an array of references, passed to ", function);
    }
    if (index < 0 || static_cast<std::size_t>(index) >= object.references.size()) {
      stop("an index out of bounds, passed to ", function);
    }
    return object;
  }

  static jobjectArray JNICALL newObjectArray(JNIEnv* env, jsize length, jclass type,
                                             jobject initial) {
    FakeJniEnv& self = of(env);
    const std::string& element = classOf(type);
    if (length < 0) stop("NewObjectArray of a negative length");
    FakeObject array(element.starts_with("[") ? "[" + element : "[L" + element + ";");
    array.references.assign(static_cast<std::size_t>(length), initial);
    return static_cast<jobjectArray>(referenceTo(self.adopt(std::move(array))));
  }

  static jobject JNICALL getObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index) {
    FakeJniEnv& self = of(env);
    return referenceArrayOf(self, array, index, "GetObjectArrayElement").references[index];
  }

  static void JNICALL setObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index,
                                            jobject value) {
    FakeJniEnv& self = of(env);
    FakeObject& object = referenceArrayOf(self, array, index, "SetObjectArrayElement");
    if (value != nullptr) objectOf(self, value, "SetObjectArrayElement");
    object.references[index] = value;
  }

  template <typename Element>
  static FakeObject& primitiveArrayOf(FakeJniEnv& self, jarray array, jsize start, jsize length,
                                      const char* function) {
    FakeObject& object = objectOf(self, array, function);
    if (object.elementType() != jniTypeOf<Element>()) {
      stop("an array of another type, passed to ", function);
    }
    const std::size_t count = object.elements.size() / sizeof(Element);
    if (start < 0 || length < 0 || static_cast<std::size_t>(start) + length > count) {
      stop("a region out of bounds, passed to ", function);
    }
    return object;
  }

  template <typename Array, typename Element>
  static Array JNICALL newArray(JNIEnv* env, jsize length) {
    FakeJniEnv& self = of(env);
    if (length < 0) stop("a new array of a negative length");
    const std::vector<Element> zeros(static_cast<std::size_t>(length));
    return static_cast<Array>(
        self.newPrimitiveArray(jniTypeOf<Element>(), zeros.data(), zeros.size()));
  }

  template <typename Array, typename Element>
  static void JNICALL getRegion(JNIEnv* env, Array array, jsize start, jsize length,
                                Element* buffer) {
    FakeJniEnv& self = of(env);
    const FakeObject& object = primitiveArrayOf<Element>(self, array, start, length, "Get*Region");
    if (length > 0) {
      std::memcpy(buffer, object.elements.data() + start * sizeof(Element),
                  length * sizeof(Element));
    }
  }

  template <typename Array, typename Element>
  static void JNICALL setRegion(JNIEnv* env, Array array, jsize start, jsize length,
                                const Element* buffer) {
    FakeJniEnv& self = of(env);
    FakeObject& object = primitiveArrayOf<Element>(self, array, start, length, "Set*Region");
    if (length > 0) {
      std::memcpy(object.elements.data() + start * sizeof(Element), buffer,
                  length * sizeof(Element));
    }
  }

  // The elements are handed out as a copy, as a JVM may do, so that a
  // caller that wrote to them without committing would change nothing.
  static jint* JNICALL getIntArrayElements(JNIEnv* env, jintArray array, jboolean* isCopy) {
    FakeJniEnv& self = of(env);
    const FakeObject& object = objectOf(self, array, "GetIntArrayElements");
    if (object.className != "[I") stop("GetIntArrayElements of a ", object.className);
    std::vector<jint> copy(object.elements.size() / sizeof(jint) + 1);  // never empty
    std::memcpy(copy.data(), object.elements.data(), object.elements.size());
    jint* elements = copy.data();
    self.pinnedArrays_.emplace(elements, std::move(copy));
    if (isCopy != nullptr) *isCopy = JNI_TRUE;
    return elements;
  }

  static void JNICALL releaseIntArrayElements(JNIEnv* env, jintArray array, jint* elements,
                                              jint mode) {
    FakeJniEnv& self = of(env);
    FakeObject& object = objectOf(self, array, "ReleaseIntArrayElements");
    const auto pinned = self.pinnedArrays_.find(elements);
    if (pinned == self.pinnedArrays_.end()) stop("ReleaseIntArrayElements of elements not held");
    if (mode != JNI_ABORT) {
      std::memcpy(object.elements.data(), elements, object.elements.size());
    }
    if (mode != JNI_COMMIT) self.pinnedArrays_.erase(pinned);
  }
};

FakeJniEnv::FakeJniEnv() : table_{} {
  for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
    std::memcpy(reinterpret_cast<char*>(&table_) + (kReservedSlots + slot) * sizeof(Stub),
                &kUnservedStubs[slot], sizeof(Stub));
  }
  using F = FakeJniFunctions;
  table_.NewString = &F::newString;
  table_.NewStringUTF = &F::newStringUtf;
  table_.GetStringLength = &F::getStringLength;
  table_.GetStringChars = &F::getStringChars;
  table_.ReleaseStringChars = &F::releaseStringChars;
  table_.FindClass = &F::findClass;
  table_.IsInstanceOf = &F::isInstanceOf;
  table_.GetMethodID = &F::getMethodId;
  table_.NewObjectV = &F::newObjectV;
  table_.CallByteMethodV = &F::callAccessorV<jbyte, &jvalue::b>;
  table_.CallShortMethodV = &F::callAccessorV<jshort, &jvalue::s>;
  table_.CallIntMethodV = &F::callAccessorV<jint, &jvalue::i>;
  table_.CallFloatMethodV = &F::callAccessorV<jfloat, &jvalue::f>;
  table_.CallDoubleMethodV = &F::callAccessorV<jdouble, &jvalue::d>;
  table_.CallBooleanMethodV = &F::callAccessorV<jboolean, &jvalue::z>;
  table_.ExceptionCheck = &F::exceptionCheck;
  table_.GetArrayLength = &F::getArrayLength;
  table_.NewObjectArray = &F::newObjectArray;
  table_.GetObjectArrayElement = &F::getObjectArrayElement;
  table_.SetObjectArrayElement = &F::setObjectArrayElement;
  table_.GetIntArrayElements = &F::getIntArrayElements;
  table_.ReleaseIntArrayElements = &F::releaseIntArrayElements;
  // The typed array functions differ only in their element type.
#define VARDELON_FAKE_ARRAY_FUNCTIONS(Name, Element)                      \
  table_.New##Name##Array = &F::newArray<Element##Array, Element>;        \
  table_.Get##Name##ArrayRegion = &F::getRegion<Element##Array, Element>; \
  table_.Set##Name##ArrayRegion = &F::setRegion<Element##Array, Element>;
  VARDELON_FAKE_ARRAY_FUNCTIONS(Byte, jbyte)
  VARDELON_FAKE_ARRAY_FUNCTIONS(Short, jshort)
  VARDELON_FAKE_ARRAY_FUNCTIONS(Int, jint)
  VARDELON_FAKE_ARRAY_FUNCTIONS(Float, jfloat)
  VARDELON_FAKE_ARRAY_FUNCTIONS(Double, jdouble)
  VARDELON_FAKE_ARRAY_FUNCTIONS(Boolean, jboolean)
#undef VARDELON_FAKE_ARRAY_FUNCTIONS
  functions = &table_;
}

jstring FakeJniEnv::newJavaString(std::u16string_view text) {
  return reinterpret_cast<jstring>(&adopt(FakeObject("java/lang/String", std::u16string(text))));
}

jobject FakeJniEnv::newWrapper(char type, jvalue value) {
  FakeObject object("");
  for (const Wrapper& wrapper : kWrappers) {
    if (wrapper.type == type) object.className = wrapper.className;
  }
  object.boxed = value;
  return reinterpret_cast<jobject>(&adopt(std::move(object)));
}

jobjectArray FakeJniEnv::newObjectArray(std::initializer_list<jobject> elements) {
  FakeObject& array = adopt(FakeObject("[Ljava/lang/Object;"));
  array.references.assign(elements);
  return reinterpret_cast<jobjectArray>(&array);
}

jarray FakeJniEnv::newPrimitiveArray(char type, const void* elements, std::size_t count) {
  FakeObject array(std::string("[") + type);
  array.elements.resize(count * widthOf(type));
  if (count > 0) std::memcpy(array.elements.data(), elements, array.elements.size());
  return reinterpret_cast<jarray>(&adopt(std::move(array)));
}

char FakeObject::elementType() const {
  return className.size() == 2 && className[0] == '[' ? className[1] : 0;
}

std::size_t FakeObject::length() const {
  const char type = elementType();
  return type != 0 ? elements.size() / widthOf(type) : references.size();
}

const FakeObject* FakeJniEnv::objectOf(jobject reference) const {
  for (const FakeObject& object : objects_) {
    if (reinterpret_cast<jobject>(const_cast<FakeObject*>(&object)) == reference) return &object;
  }
  return nullptr;
}

const std::u16string* FakeJniEnv::textOf(jobject object) const {
  const FakeObject* found = objectOf(object);
  return found != nullptr && found->className == "java/lang/String" ? &found->text : nullptr;
}

FakeObject& FakeJniEnv::adopt(FakeObject object) {
  return objects_.emplace_back(std::move(object));
}

}  // namespace vardelon::wine
