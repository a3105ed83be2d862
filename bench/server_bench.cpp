// Per call: four exports against the simulator, each against the bare
// Invoke of the same member on the same server with arguments built once,
// so that the ratio is the cost of everything the library adds (Java text
// to BSTR, arguments, the vector of numbers, converting the result,
// releasing). And a connect and disconnect cycle against creating and
// releasing the server object alone.
#include <string>

#include "baselines.h"
#include "benchmarks.h"
#include "com_mintova_vardelon_VardelonLink.h"
#include "jvm.h"
#include "link/arguments.h"
#include "link/holders.h"
#include "pair.h"
#include "server_sides.h"
#include "simulator.h"
#include "values.h"

namespace vardelon::bench {
namespace {

using vardelon::testing::jniEnv;

// A typical text value and the variable it is written to.
constexpr char16_t kText[] = u"step response, second order";
constexpr OLECHAR kTextVariable[] = OLESTR("Title");

void registerVersion(const Simulator& simulator) {
  registerPair(
      "version",
      [](benchmark::State& state) {
        JNIEnv* env = jniEnv();
        connectLibrary(env);
        measure(state, env,
                [&] { return Java_com_mintova_vardelon_VardelonLink_version(env, nullptr); });
      },
      [&simulator](benchmark::State& state) {
        measureBareInvoke(state, simulator, OLESTR("Version"), {}, DISPATCH_PROPERTYGET);
      });
}

void registerScalarValue(const Simulator& simulator) {
  registerPair(
      "variableValue/R8 scalar",
      [](benchmark::State& state) {
        measureVariableValue(state, kValueInstance, OLESTR("Scalar"));
      },
      [&simulator](benchmark::State& state) {
        measureBareGet(state, simulator, kValueInstance, OLESTR("Scalar"));
      });
}

void registerValuesByNumber(const Simulator& simulator) {
  registerPair(
      "variableValues/" + std::to_string(kNumberedCount) + " numbers",
      [](benchmark::State& state) {
        JNIEnv* env = jniEnv();
        const LocalFrame setup(env);
        jintArray numbers = newJavaNumbers(env, kNumberedCount);
        connectLibrary(env);
        measure(state, env, [&] {
          return Java_com_mintova_vardelon_VardelonLink_variableValues(env, nullptr,
                                                                       kNumberedInstance, numbers);
        });
      },
      [&simulator](benchmark::State& state) {
        JNIEnv* env = jniEnv();
        const LocalFrame setup(env);
        unique_variant vector;
        V_VT(vector.get()) = VT_ARRAY | VT_I4;
        V_ARRAY(vector.get()) = rawNumberVector(env, newJavaNumbers(env, kNumberedCount));
        VARIANTARG arguments[] = {byReference(*vector), integerArgument(kNumberedInstance)};
        measureBareInvoke(state, simulator, OLESTR("GetVariableValues"), arguments);
      });
}

void registerTextValue(const Simulator& simulator) {
  registerPair(
      "setVariableValue/String",
      [&simulator](benchmark::State& state) {
        JNIEnv* env = jniEnv();
        const LocalFrame setup(env);
        measureSetVariableValue(state, simulator, kValueInstance, kTextVariable,
                                newJavaText(env, kText), VT_BSTR);
      },
      [&simulator](benchmark::State& state) {
        unique_bstr text(SysAllocString(kText));
        measureBareSet(state, simulator, kValueInstance, kTextVariable, textArgument(text.get()));
      });
}

// connect looks the ProgID up, creates the object, asks it for IDispatch and
// resolves 18 names; disconnect gives back two references.
void registerConnectCycle(const Simulator& simulator) {
  registerPair(
      "connect+disconnect",
      [](benchmark::State& state) {
        JNIEnv* env = jniEnv();
        Java_com_mintova_vardelon_VardelonLink_disconnect(env, nullptr);
        measure(state, env, [&] {
          const jboolean connected = Java_com_mintova_vardelon_VardelonLink_connect(env, nullptr);
          Java_com_mintova_vardelon_VardelonLink_disconnect(env, nullptr);
          return connected == JNI_TRUE;
        });
      },
      [&simulator](benchmark::State& state) {
        measure(state, jniEnv(), [&] {
          void* created = nullptr;
          const HRESULT result =
              CoCreateInstance(simulator.classId(), nullptr, CLSCTX_SERVER, IID_IUnknown, &created);
          unique_com<IUnknown> object(static_cast<IUnknown*>(created));
          return SUCCEEDED(result);
        });
      });
}

}  // namespace

void registerServerBenchmarks(const Simulator& simulator) {
  registerVersion(simulator);
  registerScalarValue(simulator);
  registerValuesByNumber(simulator);
  registerTextValue(simulator);
  registerConnectCycle(simulator);
}

}  // namespace vardelon::bench
