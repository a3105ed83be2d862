// Round trips through the library's exports against the simulator, each
// against the bare Invoke of the same member on the same server, with
// arguments built once: the ratio is the cost of everything the library adds
// (Java text to BSTR, arguments, the vector of numbers, converting the
// result, releasing). And a connect and disconnect cycle against creating
// and releasing the server object alone.
#include <span>
#include <string>

#include "baselines.h"
#include "benchmarks.h"
#include "com_mintova_vardelon_VardelonLink.h"
#include "jvm.h"
#include "link/arguments.h"
#include "link/holders.h"
#include "pair.h"
#include "simulator.h"
#include "values.h"

namespace vardelon::bench {
namespace {

using vardelon::testing::jniEnv;

// The library side of a round trip needs the connection, which the connect
// cycle ends; a failed connect shows as a failed first call.
void connect(JNIEnv* env) {
  Java_com_mintova_vardelon_VardelonLink_connect(env, nullptr);
}

// Times the bare Invoke of `member` with `lastFirst`, clearing each result.
void measureBareInvoke(benchmark::State& state, const Simulator& simulator, const OLECHAR* member,
                       std::span<VARIANTARG> lastFirst) {
  const DISPID id = simulator.memberId(member);
  DISPPARAMS parameters = parametersOf(lastFirst);
  measure(state, jniEnv(), [&] {
    unique_variant result;
    const HRESULT called = bareInvoke(simulator.server(), id, parameters, result.get());
    return SUCCEEDED(called) && V_VT(result.get()) != VT_EMPTY;
  });
}

void registerValueByName(const Simulator& simulator, const OLECHAR* name,
                         const std::string& label) {
  registerPair(
      "variableValue/" + label,
      [name](benchmark::State& state) {
        JNIEnv* env = jniEnv();
        const LocalFrame setup(env);
        jstring text = newJavaText(env, name);
        connect(env);
        measure(state, env, [&] {
          return Java_com_mintova_vardelon_VardelonLink_variableValue(env, nullptr, kValueInstance,
                                                                      text);
        });
      },
      [&simulator, name](benchmark::State& state) {
        unique_bstr text(SysAllocString(name));
        VARIANTARG arguments[] = {textArgument(text.get()), integerArgument(kValueInstance)};
        measureBareInvoke(state, simulator, OLESTR("GetVariableValueByName"), arguments);
      });
}

void registerValuesByNumber(const Simulator& simulator) {
  registerPair(
      "variableValues/" + std::to_string(kNumberedCount) + " numbers",
      [](benchmark::State& state) {
        JNIEnv* env = jniEnv();
        const LocalFrame setup(env);
        jintArray numbers = newJavaNumbers(env, kNumberedCount);
        connect(env);
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
  registerValueByName(simulator, OLESTR("Scalar"), "R8 scalar");
  registerValueByName(simulator, OLESTR("Matrix"), "R8 " + shapeName(kServerMatrix));
  registerValuesByNumber(simulator);
  registerConnectCycle(simulator);
}

}  // namespace vardelon::bench
