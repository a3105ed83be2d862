// A soak of the 21 exports: 100 000 calls mixed at random (fixed seed)
// against the simulator, loaded in-process through the build's registration.
// Every result is checked as the calls go, failures included: unknown names,
// instances without variables, values of no known class, scripts and files
// the application refuses, and every method while the connection is down
// between a disconnect (or a quit) and the next connect. At the end the
// diagnostic lines are the ones expected, the layer's live BSTR and SAFEARRAY
// counts are back where they started, and the process's resident memory has
// not grown since the warm-up.
#include <gtest/gtest.h>
#include <jni.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "com_mintova_vardelon_VardelonLink.h"
#include "described.h"
#include "java_values.h"
#include "native_test.h"
#include "stderr_capture.h"

namespace vardelon::testing {
namespace {

constexpr long kCalls = 100'000;
constexpr long kWarmUpCalls = 10'000;
// What resident memory may gain after the warm-up without a leak: the
// allocator's free lists and the JVM's internal tables settle in pages they
// touch late. A leak of one small block per call, at least 32 bytes in
// glibc's heap, would add 2.7 MiB over the 90 000 calls after the warm-up.
constexpr long kResidentSlack = 1L << 20;

// The soak's own instances are negative, apart from the demo's instance 1
// and from the instances that opened models get, counted up from there.
constexpr jint kValueInstance = -7;   // setVariableValue / variableValue
constexpr jint kVectorInstance = -8;  // setVariableValues / variableValues
constexpr jint kEmptyInstance = -4711;

constexpr std::string_view kNotConnected = "Not connected to Vardelon\n";
constexpr std::string_view kUnknownName = "Invoke error 0x80020006\n";  // DISP_E_UNKNOWNNAME
constexpr std::string_view kBadIndex = "Invoke error 0x8002000b\n";     // DISP_E_BADINDEX
constexpr std::string_view kInvalidArgument = "Invoke error 0x80070057\n";
constexpr std::string_view kException = "Invoke error 0x80020009\n";  // DISP_E_EXCEPTION
constexpr std::string_view kEmptyResult = "Unknown OLE variant type (0)\n";
constexpr std::string_view kUnrecognised = "Unrecognized Java object class\n";

long residentBytes() {
  long pages = 0;
  long resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

std::map<std::string, long> lineCounts(const std::string& text) {
  std::map<std::string, long> counts;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) ++counts[line + "\n"];
  return counts;
}

// A Java value to write and the value that reading it back must give: a
// one-dimensional array comes back as a matrix of one row, or of none.
struct Sample {
  jobject written;
  jobject readBack;
};

class Soak {
 public:
  Soak(JNIEnv* env, std::filesystem::path model) : env_(env), model_(std::move(model)) {}

  long calls() const { return calls_; }
  const std::map<std::string, long>& expectedLines() const { return expectedLines_; }

  // One operation, picked by its weight; connecting and ending the
  // connection are rare, so that most calls find the server.
  void step() {
    using Operation = void (Soak::*)();
    struct Weighted {
      int weight;
      Operation operation;
    };
    static constexpr Weighted kOperations[] = {
        {4, &Soak::connect},
        {1, &Soak::disconnect},
        {1, &Soak::quit},
        {3, &Soak::isConnected},
        {3, &Soak::version},
        {4, &Soak::execute},
        {3, &Soak::openAndReload},
        {4, &Soak::commandWindow},
        {3, &Soak::variableNames},
        {12, &Soak::writeAndReadValue},
        {3, &Soak::readUnknownVariable},
        {2, &Soak::writeUnrecognisedValue},
        {4, &Soak::readDemoValues},
        {6, &Soak::writeAndReadValues},
        {3, &Soak::requestChangeNotification},
        {3, &Soak::engineNames},
        {3, &Soak::engineValue},
        {3, &Soak::engineValues},
    };
    static std::discrete_distribution<std::size_t> pick = [] {
      std::vector<int> weights;
      for (const Weighted& entry : kOperations) weights.push_back(entry.weight);
      return std::discrete_distribution<std::size_t>(weights.begin(), weights.end());
    }();
    (this->*kOperations[pick(random_)].operation)();
  }

 private:
  // The exports, each counting its call and the line it writes when the
  // connection is down.
  template <typename Call>
  auto call(bool reportsNotConnected, Call&& export_) {
    ++calls_;
    if (reportsNotConnected && !connected_) expectLine(kNotConnected);
    return export_(env_, jobject{});
  }
  jstring text(std::u16string_view units) { return newJavaString(env_, units); }

  void expectLine(std::string_view line) { ++expectedLines_[std::string(line)]; }
  void expectJava(jobject actual, jobject expected, const char* what) {
    ASSERT_EQ(javaText(env_, actual), connected_ ? javaText(env_, expected) : "null")
        << what << " at call " << calls_;
  }

  void connect() {
    ASSERT_TRUE(call(false, Java_com_mintova_vardelon_VardelonLink_connect));
    if (!connected_) startedApplication();
    connected_ = true;
  }
  // The library held the only references on the application, so the next
  // connect finds a new one, with its demo variables and no models.
  void disconnect() {
    call(false, Java_com_mintova_vardelon_VardelonLink_disconnect);
    connected_ = false;
  }
  void quit() {
    call(false, Java_com_mintova_vardelon_VardelonLink_quit);
    connected_ = false;
  }
  void startedApplication() {
    highestInstance_ = 1;
    models_.clear();
    notifications_ = 0;
  }

  void isConnected() {
    ASSERT_EQ(call(false, Java_com_mintova_vardelon_VardelonLink_isConnected) == JNI_TRUE,
              connected_);
  }

  void version() {
    jstring version = call(false, Java_com_mintova_vardelon_VardelonLink_version);
    ASSERT_EQ(javaString(env_, version), connected_ ? u"Vardelon Simulator 1.0" : u"?");
  }

  // A script that sets a counter, read back; or one the application refuses.
  void execute() {
    if (coin()) {
      call(false, [&](JNIEnv* env, jobject self) {
        Java_com_mintova_vardelon_VardelonLink_execute(env, self, text(u"set -7"));
      });
      if (connected_) expectLine(kException);
      return;
    }
    const jint counter = std::uniform_int_distribution<jint>(-1000, 1000)(random_);
    const std::string script = "set -7 Executed " + std::to_string(counter);
    call(false, [&](JNIEnv* env, jobject self) {
      Java_com_mintova_vardelon_VardelonLink_execute(
          env, self, text(std::u16string(script.begin(), script.end())));
    });
    expectJava(readValue(kValueInstance, u"Executed"),
               newObject(env_, "java/lang/Integer", "(I)V", counter), "executed script");
  }

  // Loads the model file into a new instance, or a file that is not there;
  // reloads an instance loaded from the file, or one that was not.
  void openAndReload() {
    const bool missing = coin();
    const std::u16string path =
        (missing ? model_.parent_path() / "missing.model" : model_).u16string();
    const jint opened = call(false, [&](JNIEnv* env, jobject self) {
      return Java_com_mintova_vardelon_VardelonLink_open(env, self, text(path));
    });
    if (!connected_) {
      ASSERT_EQ(opened, -1);
    } else if (missing) {
      expectLine(kException);
    } else {
      ASSERT_GT(opened, highestInstance_) << "a model goes into a new instance";
      highestInstance_ = opened;
      models_.push_back(opened);
      expectJava(readValue(opened, u"Opened"), newObject(env_, "java/lang/Integer", "(I)V", 1),
                 "opened model");
    }
    const bool fromModel = !models_.empty() && coin();
    const jint reloaded =
        fromModel
            ? models_[std::uniform_int_distribution<std::size_t>(0, models_.size() - 1)(random_)]
            : 1;
    call(false, [&](JNIEnv* env, jobject self) {
      Java_com_mintova_vardelon_VardelonLink_reload(env, self, reloaded);
    });
    if (connected_ && !fromModel) expectLine(kInvalidArgument);
  }

  // One window command, seen in the state the application publishes.
  void commandWindow() {
    using Command = void(JNICALL*)(JNIEnv*, jobject);
    struct WindowCommand {
      Command command;
      const char16_t* variable;
      const char16_t* state;  // null: the Boolean true
    };
    static constexpr WindowCommand kCommands[] = {
        {Java_com_mintova_vardelon_VardelonLink_maximize, u"WindowState", u"maximized"},
        {Java_com_mintova_vardelon_VardelonLink_minimize, u"WindowState", u"minimized"},
        {Java_com_mintova_vardelon_VardelonLink_restoreSize, u"WindowState", u"normal"},
        {Java_com_mintova_vardelon_VardelonLink_show, u"Visible", nullptr},
    };
    const WindowCommand& chosen = kCommands[std::uniform_int_distribution<int>(0, 3)(random_)];
    call(false, chosen.command);
    jobject expected = chosen.state != nullptr
                           ? jobject{text(chosen.state)}
                           : newObject(env_, "java/lang/Boolean", "(Z)V", JNI_TRUE);
    expectJava(readEngineValue(chosen.variable), expected, "window state");
  }

  void variableNames() {
    const bool demo = coin();
    auto names = call(false, [&](JNIEnv* env, jobject self) {
      return Java_com_mintova_vardelon_VardelonLink_variableNames(env, self,
                                                                  demo ? jint{1} : kEmptyInstance);
    });
    jobject expected =
        demo ? jobject{texts({u"Speed", u"Count", u"Label", u"Grid", u"Enabled"})} : nullptr;
    expectJava(names, expected, "variable names");
  }

  void writeAndReadValue() {
    const Sample sample = randomSample();
    writeValue(kValueInstance, u"Value", sample.written);
    expectJava(readValue(kValueInstance, u"Value"), sample.readBack, "value written and read");
  }

  void readUnknownVariable() {
    expectJava(readValue(kValueInstance, u"NoSuchVariable"), nullptr, "unknown variable");
    if (connected_) {
      expectLine(kUnknownName);
      expectLine(kEmptyResult);
    }
  }

  // A Long is no class the library converts: the line, and the server
  // refuses the empty value it gets instead, silently.
  void writeUnrecognisedValue() {
    writeValue(kValueInstance, u"Value", newObject(env_, "java/lang/Long", "(J)V", jlong{5}));
    if (connected_) expectLine(kUnrecognised);
  }

  // The demo variables of instance 1 by number; numbers past them are
  // empty slots, each reported.
  void readDemoValues() {
    std::vector<jint> numbers(std::uniform_int_distribution<int>(0, 6)(random_));
    std::vector<jobject> expected;
    for (jint& number : numbers) {
      number = std::uniform_int_distribution<jint>(0, 6)(random_);
      expected.push_back(demoValue(number));
      if (connected_ && number > 4) expectLine(kEmptyResult);
    }
    auto values = call(true, [&](JNIEnv* env, jobject self) {
      return Java_com_mintova_vardelon_VardelonLink_variableValues(env, self, 1, ints(numbers));
    });
    expectJava(values, newObjectArray(env_, "java/lang/Object", expected), "demo values");
  }

  // Two variables written by name, swapped by number, read back by number;
  // or numbers that name no variable, which the server refuses whole.
  void writeAndReadValues() {
    const Sample first = randomSample();
    const Sample second = randomSample();
    writeValue(kVectorInstance, u"first", first.written);
    writeValue(kVectorInstance, u"second", second.written);
    const bool unknown = coin();
    const std::vector<jint> numbers = unknown ? std::vector<jint>{0, 99} : std::vector<jint>{1, 0};
    call(true, [&](JNIEnv* env, jobject self) {
      Java_com_mintova_vardelon_VardelonLink_setVariableValues(
          env, self, kVectorInstance, ints(numbers),
          newObjectArray(env_, "java/lang/Object", {first.written, second.written}));
    });
    if (connected_ && unknown) expectLine(kBadIndex);
    auto values = call(true, [&](JNIEnv* env, jobject self) {
      return Java_com_mintova_vardelon_VardelonLink_variableValues(env, self, kVectorInstance,
                                                                   ints({0, 1}));
    });
    std::vector<jobject> expected{first.readBack, second.readBack};
    if (!unknown) std::swap(expected[0], expected[1]);
    expectJava(values, newObjectArray(env_, "java/lang/Object", expected), "values by number");
  }

  // Each request shows as one more line in the application's record.
  void requestChangeNotification() {
    call(true, [&](JNIEnv* env, jobject self) {
      Java_com_mintova_vardelon_VardelonLink_setVariableChangeNotification(
          env, self, kValueInstance, text(u"Value"));
    });
    if (connected_) ++notifications_;
    jobject record = readEngineValue(u"ChangeNotifications");
    if (!connected_) return expectJava(record, nullptr, "notifications");
    std::u16string expected;
    for (long i = 0; i < notifications_; ++i) expected += u"-7 Value\n";
    ASSERT_EQ(javaString(env_, static_cast<jstring>(record)), expected) << "at call " << calls_;
  }

  // The first three engine-level variables are the demo's; the application
  // adds its published state after them.
  void engineNames() {
    auto names = call(false, Java_com_mintova_vardelon_VardelonLink_uvoVariableNames);
    if (!connected_) return expectJava(names, nullptr, "engine names");
    ASSERT_GE(env_->GetArrayLength(names), 3);
    for (jsize i = 0; i < 3; ++i) {
      const char16_t* demo[] = {u"Time", u"StepSize", u"Solver"};
      ASSERT_EQ(javaString(env_, static_cast<jstring>(env_->GetObjectArrayElement(names, i))),
                demo[i]);
    }
  }

  void engineValue() {
    if (coin()) {
      expectJava(readEngineValue(u"NoSuchVariable"), nullptr, "unknown engine variable");
      if (connected_) {
        expectLine(kUnknownName);
        expectLine(kEmptyResult);
      }
      return;
    }
    expectJava(readEngineValue(u"Solver"), text(u"euler"), "engine value");
  }

  void engineValues() {
    auto values = call(true, [&](JNIEnv* env, jobject self) {
      return Java_com_mintova_vardelon_VardelonLink_uvoVariableValues(env, self, ints({2, 0, 1}));
    });
    std::vector<jobject> expected{text(u"euler"), newObject(env_, "java/lang/Double", "(D)V", 0.0),
                                  newObject(env_, "java/lang/Double", "(D)V", 0.01)};
    expectJava(values, newObjectArray(env_, "java/lang/Object", expected), "engine values");
  }

  // Reads and writes shared by the operations.
  jobject readValue(jint instance, std::u16string_view name) {
    return call(true, [&](JNIEnv* env, jobject self) {
      return Java_com_mintova_vardelon_VardelonLink_variableValue(env, self, instance, text(name));
    });
  }
  jobject readEngineValue(std::u16string_view name) {
    return call(true, [&](JNIEnv* env, jobject self) {
      return Java_com_mintova_vardelon_VardelonLink_uvoVariableValue(env, self, text(name));
    });
  }
  void writeValue(jint instance, std::u16string_view name, jobject value) {
    call(true, [&](JNIEnv* env, jobject self) {
      Java_com_mintova_vardelon_VardelonLink_setVariableValue(env, self, instance, text(name),
                                                              value);
    });
  }

  jobject demoValue(jint number) {
    switch (number) {
      case 0:
        return newObject(env_, "java/lang/Double", "(D)V", 12.5);
      case 1:
        return newObject(env_, "java/lang/Integer", "(I)V", 42);
      case 2:
        return text(u"Vardelon demo");
      case 3:
        return javaMatrix<jdouble>(env_, {{1, 2, 3}, {4, 5, 6}});
      case 4:
        return newObject(env_, "java/lang/Boolean", "(Z)V", JNI_TRUE);
      default:
        return nullptr;
    }
  }

  // A value of every kind the library converts: the six boxed numbers and
  // booleans, text beyond ASCII, and arrays of one and two dimensions of the
  // six primitive types, empty ones included.
  Sample randomSample() {
    switch (std::uniform_int_distribution<int>(0, 18)(random_)) {
      case 0:
        return same(newObject(env_, "java/lang/Byte", "(B)V", number<jbyte>()));
      case 1:
        return same(newObject(env_, "java/lang/Short", "(S)V", number<jshort>()));
      case 2:
        return same(newObject(env_, "java/lang/Integer", "(I)V", number<jint>()));
      case 3:
        return same(newObject(env_, "java/lang/Float", "(F)V", double{number<jfloat>()}));
      case 4:
        return same(newObject(env_, "java/lang/Double", "(D)V", number<jdouble>()));
      case 5:
        return same(newObject(env_, "java/lang/Boolean", "(Z)V", number<jboolean>()));
      case 6:
        return same(text(randomText()));
      default:
        break;
    }
    switch (std::uniform_int_distribution<int>(0, 5)(random_)) {
      case 0:
        return randomArray<jdouble>();
      case 1:
        return randomArray<jfloat>();
      case 2:
        return randomArray<jbyte>();
      case 3:
        return randomArray<jshort>();
      case 4:
        return randomArray<jint>();
      default:
        return randomArray<jboolean>();
    }
  }

  static Sample same(jobject value) { return {value, value}; }

  template <typename Element>
  Sample randomArray() {
    if (coin()) {
      std::vector<Element> row(std::uniform_int_distribution<std::size_t>(0, 6)(random_));
      for (Element& element : row) element = number<Element>();
      std::vector<std::vector<Element>> readBack;
      if (!row.empty()) readBack.push_back(row);
      return {javaRow(env_, row), javaMatrix(env_, readBack)};
    }
    std::vector<std::vector<Element>> rows(
        std::uniform_int_distribution<std::size_t>(0, 4)(random_));
    const std::size_t columns = std::uniform_int_distribution<std::size_t>(0, 5)(random_);
    for (std::vector<Element>& row : rows) {
      row.resize(columns);
      for (Element& element : row) element = number<Element>();
    }
    return same(javaMatrix(env_, rows));
  }

  template <typename Number>
  Number number() {
    if constexpr (std::is_same_v<Number, jboolean>) {
      return coin() ? JNI_TRUE : JNI_FALSE;
    } else if constexpr (std::is_floating_point_v<Number>) {
      return static_cast<Number>(std::uniform_int_distribution<int>(-4096, 4096)(random_)) / 64;
    } else {
      return static_cast<Number>(std::uniform_int_distribution<long long>(
          std::numeric_limits<Number>::min(), std::numeric_limits<Number>::max())(random_));
    }
  }

  std::u16string randomText() {
    static constexpr char16_t kUnits[] = u"aZ 09\"\\\u00e9\u4e2d\U0001F600";
    std::u16string result;
    for (int n = std::uniform_int_distribution<int>(0, 12)(random_); n > 0; --n) {
      const std::size_t at = std::uniform_int_distribution<std::size_t>(0, 9)(random_);
      result += at == 9 ? std::u16string_view(kUnits + 9, 2) : std::u16string_view(kUnits + at, 1);
    }
    return result;
  }

  jobjectArray texts(std::initializer_list<std::u16string_view> units) {
    std::vector<jobject> made;
    for (std::u16string_view unit : units) made.push_back(text(unit));
    return newObjectArray(env_, "java/lang/String", made);
  }

  jintArray ints(const std::vector<jint>& numbers) {
    return static_cast<jintArray>(javaRow(env_, numbers));
  }

  bool coin() { return std::bernoulli_distribution(0.5)(random_); }

  JNIEnv* env_;
  std::filesystem::path model_;
  std::mt19937 random_{20261211};
  long calls_ = 0;
  bool connected_ = false;
  jint highestInstance_ = 0;  // the highest instance the application has
  std::vector<jint> models_;  // instances loaded from the model file
  long notifications_ = 0;
  std::map<std::string, long> expectedLines_;
};

class SoakTest : public NativeTest {
 protected:
  void TearDown() override {
    Java_com_mintova_vardelon_VardelonLink_disconnect(env(), nullptr);
    std::filesystem::remove(model_);
    NativeTest::TearDown();
  }

  std::filesystem::path model_ = std::filesystem::temp_directory_path() /
                                 ("vardelon_soak_" + std::to_string(getpid()) + ".model");
};

TEST_F(SoakTest, HundredThousandMixedCallsLeaveNothingBehind) {
  ASSERT_TRUE(std::ofstream(model_) << "var Opened 1\n");
  Soak soak(env(), model_);
  long residentAfterWarmUp = 0;
  StderrCapture capture;
  while (soak.calls() < kCalls && !HasFailure()) {
    ASSERT_EQ(env()->PushLocalFrame(256), JNI_OK);
    soak.step();
    env()->PopLocalFrame(nullptr);
    if (residentAfterWarmUp == 0 && soak.calls() >= kWarmUpCalls) {
      residentAfterWarmUp = residentBytes();
    }
  }
  // Measured before the captured lines are read into memory.
  const long growth = residentBytes() - residentAfterWarmUp;
  const std::string written = capture.finish();
  ASSERT_FALSE(HasFailure());

  EXPECT_EQ(lineCounts(written), soak.expectedLines());
  std::printf("%ld calls; resident memory %ld KiB after the warm-up, %+ld KiB since\n",
              soak.calls(), residentAfterWarmUp / 1024, growth / 1024);
#if !defined(__SANITIZE_ADDRESS__)  // AddressSanitizer's quarantine holds freed blocks back
  EXPECT_LE(growth, kResidentSlack);
#endif
}

}  // namespace
}  // namespace vardelon::testing
