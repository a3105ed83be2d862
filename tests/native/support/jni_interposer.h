// Interposing on JNI functions for the native suites, through JVMTI's
// SetJNIFunctionTable: the JVM's own way to replace entries of the function
// table that every JNIEnv of the process uses. Tests use it to make one JNI
// function fail as it does when the JVM runs out of memory, or to watch the
// arguments a function receives.
//
//   JniFailure<&JNINativeInterface_::NewObjectArray> failure;     // the next call fails
//   JniFailure<&JNINativeInterface_::NewString> later(2);          // the third call fails
//   ... call the library ...
//   EXPECT_EQ(failure.calls(), 1);
#pragma once

#include <jni.h>

#include <functional>

namespace vardelon::testing {

// Installs an edited copy of the JNI function table for its lifetime and
// puts the previous one back afterwards. One at a time.
class JniInterposer {
 public:
  explicit JniInterposer(const std::function<void(JNINativeInterface_& table)>& edit);
  JniInterposer(const JniInterposer&) = delete;
  JniInterposer& operator=(const JniInterposer&) = delete;
  ~JniInterposer();

  // The table as it was before this interposer: replacements call through it.
  static const JNINativeInterface_& original();
};

// Leaves a pending java.lang.OutOfMemoryError, as a JNI allocation that fails.
void throwOutOfMemory(JNIEnv* env);

// Whether a Java exception is pending; clears it.
bool takePendingException(JNIEnv* env);

template <auto Slot>
class JniFailure;

// The JNI function in `Slot` lets `succeeding` calls through, then fails
// every call: it throws OutOfMemoryError and returns zero (a null pointer or
// reference).
template <typename Result, typename... Arguments,
          Result (JNICALL* JNINativeInterface_::*Slot)(JNIEnv*, Arguments...)>
class JniFailure<Slot> {
 public:
  explicit JniFailure(int succeeding = 0)
      : interposer_([succeeding](JNINativeInterface_& table) {
          calls_ = 0;
          succeeding_ = succeeding;
          table.*Slot = &replacement;
        }) {}

  // Calls made while this failure was in place, failed ones included.
  int calls() const { return calls_; }

 private:
  static Result JNICALL replacement(JNIEnv* env, Arguments... arguments) {
    if (calls_++ < succeeding_) return (JniInterposer::original().*Slot)(env, arguments...);
    throwOutOfMemory(env);
    return Result{};
  }

  static inline int calls_ = 0;
  static inline int succeeding_ = 0;
  JniInterposer interposer_;
};

}  // namespace vardelon::testing
