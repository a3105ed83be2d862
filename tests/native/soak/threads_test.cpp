// The exports from eight threads at once against the simulator, each thread
// attached to the embedded JVM with its own JNIEnv: reading and writing
// variables of an instance of its own while connected, and connecting all at
// the same moment from disconnected. The tsan preset runs this suite under
// ThreadSanitizer, which watches the library's unlocked connection state.
#include <gtest/gtest.h>
#include <jni.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "com_mintova_vardelon_VardelonLink.h"
#include "described.h"
#include "java_values.h"
#include "native_test.h"
#include "threads_together.h"

namespace vardelon::testing {
namespace {

#define VL(method) Java_com_mintova_vardelon_VardelonLink_##method

constexpr int kThreads = 8;
constexpr int kRounds = 100;

// A thread attached to the embedded JVM for as long as it runs.
struct AttachedThread {
  JNIEnv* env = jniEnv();
  AttachedThread() = default;
  AttachedThread(const AttachedThread&) = delete;
  AttachedThread& operator=(const AttachedThread&) = delete;
  ~AttachedThread() {
    JavaVM* vm = nullptr;
    env->GetJavaVM(&vm);
    vm->DetachCurrentThread();
  }
};

// Runs `body(env, thread)` on kThreads threads released together, each with
// its own JNIEnv, and gives back what each reported wrong ("" when nothing).
template <typename Body>
std::vector<std::string> onThreads(Body body) {
  return runTogether<AttachedThread>(
      kThreads, [&](AttachedThread& attached, int thread) { return body(attached.env, thread); });
}

// What differs between `actual` and `expected`, or "".
std::string compare(const std::string& what, const std::string& actual,
                    const std::string& expected) {
  return actual == expected ? "" : what + ": " + actual + " instead of " + expected;
}

class ThreadsTest : public NativeTest {
 protected:
  void TearDown() override {
    VL(disconnect)(env(), nullptr);
    NativeTest::TearDown();
  }
};

TEST_F(ThreadsTest, ThreadsReadAndWriteTheirOwnVariablesAtOnce) {
  ASSERT_TRUE(VL(connect)(env(), nullptr)) << "AUTOMATION_REGISTRY must name the simulator";
  const std::vector<std::string> faults = onThreads([](JNIEnv* env, int thread) -> std::string {
    const jint instance = -200 - thread;
    for (int round = 0; round < kRounds; ++round) {
      if (env->PushLocalFrame(64) != JNI_OK) return "no local frame";
      const std::string number = std::to_string(round);
      const std::u16string label = u"thread " + std::u16string(1, u'0' + thread);
      VL(setVariableValue)
      (env, nullptr, instance, newString(env, u"Number"),
       newObject(env, "java/lang/Integer", "(I)V", round));
      VL(setVariableValue)
      (env, nullptr, instance, newString(env, u"Row"),
       javaRow<jdouble>(env, {double(thread), double(round)}));
      VL(setVariableValues)
      (env, nullptr, instance, static_cast<jintArray>(javaRow<jint>(env, {0})),
       newObjectArray(env, "java/lang/Object", {newString(env, label)}));
      VL(setVariableChangeNotification)(env, nullptr, instance, newString(env, u"Number"));
      const std::string seen[][3] = {
          {"Row", javaText(env, VL(variableValue)(env, nullptr, instance, newString(env, u"Row"))),
           "[[D [[" + std::to_string(thread) + ".0, " + number + ".0]]"},
          {"values",
           javaText(env, VL(variableValues)(env, nullptr, instance,
                                            static_cast<jintArray>(javaRow<jint>(env, {0})))),
           "[Ljava.lang.Object; [thread " + std::to_string(thread) + "]"},
          {"names", javaText(env, VL(variableNames)(env, nullptr, instance)),
           "[Ljava.lang.String; [Number, Row]"},
          {"engine value",
           javaText(env, VL(uvoVariableValue)(env, nullptr, newString(env, u"Solver"))),
           R"(java.lang.String "euler")"},
          {"engine values",
           javaText(env, VL(uvoVariableValues)(env, nullptr,
                                               static_cast<jintArray>(javaRow<jint>(env, {2})))),
           "[Ljava.lang.Object; [euler]"},
          {"version", javaText(env, VL(version)(env, nullptr)),
           R"(java.lang.String "Vardelon Simulator 1.0")"},
      };
      env->PopLocalFrame(nullptr);
      for (const auto& [what, actual, expected] : seen) {
        if (std::string fault = compare(what, actual, expected); !fault.empty()) {
          return "round " + number + ", " + fault;
        }
      }
    }
    return "";
  });
  EXPECT_EQ(faults, std::vector<std::string>(kThreads));
}

// One server object: a second one would keep its application, and the
// marker in it, alive after the disconnect.
TEST_F(ThreadsTest, ThreadsConnectingAtOnceMakeOneConnection) {
  VL(disconnect)(env(), nullptr);
  const std::vector<std::string> faults = onThreads([](JNIEnv* env, int) -> std::string {
    return VL(connect)(env, nullptr) ? "" : "connect gave false";
  });
  EXPECT_EQ(faults, std::vector<std::string>(kThreads));
  ASSERT_TRUE(VL(isConnected)(env(), nullptr));

  VL(execute)(env(), nullptr, newString(env(), u"uvo Marker 1"));
  VL(disconnect)(env(), nullptr);
  ASSERT_TRUE(VL(connect)(env(), nullptr));
  std::string written = captureStderr([&] {
    EXPECT_EQ(javaText(env(), VL(uvoVariableValue)(env(), nullptr, newString(env(), u"Marker"))),
              "null")
        << "the application outlived the connection";
  });
  EXPECT_EQ(written, "Invoke error 0x80020006\nUnknown OLE variant type (0)\n");
}

}  // namespace
}  // namespace vardelon::testing
