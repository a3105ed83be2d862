// A JNI local reference frame for the life of a scope. The benchmark binary
// is one long native call, so without a frame per iteration the references
// that each conversion makes would pile up until the run ends.
#pragma once

#include <jni.h>

namespace vardelon::bench {

class LocalFrame {
 public:
  explicit LocalFrame(JNIEnv* env, jint capacity = 16)
      : env_(env), pushed_(env->PushLocalFrame(capacity) == JNI_OK) {}
  LocalFrame(const LocalFrame&) = delete;
  LocalFrame& operator=(const LocalFrame&) = delete;
  ~LocalFrame() {
    if (pushed_) env_->PopLocalFrame(nullptr);
  }

 private:
  JNIEnv* env_;
  bool pushed_;
};

}  // namespace vardelon::bench
