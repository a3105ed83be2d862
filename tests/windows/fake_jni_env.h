// A JNIEnv without a Java virtual machine, for driving the library's exports
// where no JVM runs (a Windows program under Wine). Its function table serves
// the functions the library calls, over a small heap of Java objects
// (strings, the six wrappers, primitive arrays and arrays of references);
// every other slot stops the program naming the slot, so an unexpected JNI
// call cannot pass unnoticed, and so does a call that a JVM would refuse
// (a reference that is not one of ours, an index out of bounds).
#pragma once

#include <jni.h>

#include <cstddef>
#include <deque>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vardelon::wine {

// One Java object of the fake heap; its reference is its address.
struct FakeObject {
  explicit FakeObject(std::string type, std::u16string characters = {})
      : className(std::move(type)), text(std::move(characters)) {}

  std::string className;            // as FindClass names it: "java/lang/Integer", "[[I"
  std::u16string text;              // a string's characters
  jvalue boxed{};                   // a wrapper's value
  std::vector<std::byte> elements;  // a primitive array's elements, in Java's widths
  std::vector<jobject> references;  // an array of references

  // The type letter of an array of primitives ('I' for "[I"); 0 for any other object.
  char elementType() const;
  // The elements of an array.
  std::size_t length() const;
};

class FakeJniEnv : public JNIEnv_ {
 public:
  FakeJniEnv();
  FakeJniEnv(const FakeJniEnv&) = delete;
  FakeJniEnv& operator=(const FakeJniEnv&) = delete;

  JNIEnv* env() { return this; }

  // New objects, as the Java caller would pass them.
  jstring newJavaString(std::u16string_view text);
  // A wrapper (Byte, Short, Integer, Float, Double or Boolean) holding `value`.
  template <typename Element>
  jobject box(Element value);
  template <typename Element>
  jarray newRow(std::initializer_list<Element> elements);
  // An array of arrays, one row per list; rows may differ in length.
  template <typename Element>
  jobjectArray newMatrix(std::initializer_list<std::initializer_list<Element>> rows);
  jobjectArray newObjectArray(std::initializer_list<jobject> elements);

  // The object behind a reference made here or by the library; null for
  // anything else.
  const FakeObject* objectOf(jobject reference) const;
  // The text of a string made here or by the library; null for anything else.
  const std::u16string* textOf(jobject object) const;

  // JNI functions the library has called so far.
  int calls() const { return calls_; }
  // Strings and arrays whose contents the library holds and has not given back.
  int pinnedStrings() const { return pinnedStrings_; }
  int pinnedArrays() const { return static_cast<int>(pinnedArrays_.size()); }

 private:
  friend struct FakeJniFunctions;

  FakeObject& adopt(FakeObject object);
  jarray newPrimitiveArray(char type, const void* elements, std::size_t count);
  jobject newWrapper(char type, jvalue value);

  JNINativeInterface_ table_;
  // Objects and classes live as long as the environment; deques keep their
  // addresses, which serve as the references, fixed.
  std::deque<FakeObject> objects_;
  std::deque<std::string> classes_;
  struct Method {
    std::string className;
    std::string name;
    std::string signature;
  };
  std::deque<Method> methods_;
  // Copies handed out by GetIntArrayElements, by their address.
  std::map<const jint*, std::vector<jint>> pinnedArrays_;
  int calls_ = 0;
  int pinnedStrings_ = 0;
};

// Per element type: its JNI type letter and the jvalue member that holds it.
template <typename Element>
struct JniElement;
#define VARDELON_JNI_ELEMENT(Element, letter, member)          \
  template <>                                                  \
  struct JniElement<Element> {                                 \
    static constexpr char type = letter;                       \
    static constexpr Element jvalue::*field = &jvalue::member; \
  };
VARDELON_JNI_ELEMENT(jbyte, 'B', b)
VARDELON_JNI_ELEMENT(jshort, 'S', s)
VARDELON_JNI_ELEMENT(jint, 'I', i)
VARDELON_JNI_ELEMENT(jfloat, 'F', f)
VARDELON_JNI_ELEMENT(jdouble, 'D', d)
VARDELON_JNI_ELEMENT(jboolean, 'Z', z)
#undef VARDELON_JNI_ELEMENT

// The JNI type letter of an element type: 'B', 'S', 'I', 'F', 'D' or 'Z'.
template <typename Element>
constexpr char jniTypeOf() {
  return JniElement<Element>::type;
}

template <typename Element>
jobject FakeJniEnv::box(Element value) {
  jvalue held{};
  held.*JniElement<Element>::field = value;
  return newWrapper(jniTypeOf<Element>(), held);
}

template <typename Element>
jarray FakeJniEnv::newRow(std::initializer_list<Element> elements) {
  return newPrimitiveArray(jniTypeOf<Element>(), elements.begin(), elements.size());
}

template <typename Element>
jobjectArray FakeJniEnv::newMatrix(std::initializer_list<std::initializer_list<Element>> rows) {
  std::vector<jobject> made;
  for (const auto& row : rows) made.push_back(newRow(row));
  FakeObject& matrix = adopt(FakeObject(std::string("[[") + jniTypeOf<Element>()));
  matrix.references = std::move(made);
  return reinterpret_cast<jobjectArray>(&matrix);
}

}  // namespace vardelon::wine
