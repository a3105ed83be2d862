// A JNIEnv without a Java virtual machine, for driving the library's exports
// where no JVM runs (a Windows program under Wine). Its function table serves
// the few functions the library calls on the paths the host drives; every
// other slot stops the program naming the slot, so an unexpected JNI call
// cannot pass unnoticed.
#pragma once

#include <jni.h>

#include <deque>
#include <string>
#include <string_view>

namespace vardelon::wine {

class FakeJniEnv : public JNIEnv_ {
 public:
  FakeJniEnv();
  FakeJniEnv(const FakeJniEnv&) = delete;
  FakeJniEnv& operator=(const FakeJniEnv&) = delete;

  JNIEnv* env() { return this; }

  // A new Java string, as the Java caller would pass it.
  jstring newJavaString(std::u16string_view text);
  // The text of a string made here or by the library; null for anything else.
  const std::u16string* textOf(jobject object) const;

  // JNI functions the library has called so far.
  int calls() const { return calls_; }
  // Strings whose characters the library holds and has not given back.
  int pinnedStrings() const { return pinned_; }

 private:
  static FakeJniEnv& of(JNIEnv* env) { return *static_cast<FakeJniEnv*>(env); }
  // The string behind `text`; stops the program when it is not one of ours.
  std::u16string& stringOf(jstring text);
  jstring adopt(std::u16string text);

  static jstring JNICALL newString(JNIEnv* env, const jchar* units, jsize length);
  static jstring JNICALL newStringUtf(JNIEnv* env, const char* bytes);
  static jsize JNICALL getStringLength(JNIEnv* env, jstring text);
  static const jchar* JNICALL getStringChars(JNIEnv* env, jstring text, jboolean* isCopy);
  static void JNICALL releaseStringChars(JNIEnv* env, jstring text, const jchar* chars);

  JNINativeInterface_ table_;
  // Local references live as long as the environment; a deque keeps their
  // addresses, which serve as the references, fixed.
  std::deque<std::u16string> strings_;
  int calls_ = 0;
  int pinned_ = 0;
};

}  // namespace vardelon::wine
