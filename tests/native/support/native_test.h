// The fixture of every native suite: a local reference frame per test, no
// Java exception left pending, and the layer's live BSTR and SAFEARRAY
// counts back where they started.
#pragma once

#include <gtest/gtest.h>
#include <jni.h>

#include "jvm.h"
#include "leak_checked_test.h"
#include "platform/automation.h"
#include "stderr_capture.h"

namespace vardelon::testing {

class NativeTest : public LeakCheckedTest {
 protected:
  void SetUp() override {
    env_ = jniEnv();
    ASSERT_EQ(env_->PushLocalFrame(1024), JNI_OK);
    LeakCheckedTest::SetUp();
  }

  void TearDown() override {
    EXPECT_FALSE(env_->ExceptionCheck()) << "a Java exception was left pending";
    env_->ExceptionClear();
    env_->PopLocalFrame(nullptr);
    LeakCheckedTest::TearDown();
  }

  JNIEnv* env() const { return env_; }

 private:
  JNIEnv* env_ = nullptr;
};

}  // namespace vardelon::testing
