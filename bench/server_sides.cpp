#include "server_sides.h"

#include <cstring>
#include <vector>

#include "com_mintova_vardelon_VardelonLink.h"
#include "jvm.h"
#include "link/arguments.h"
#include "link/holders.h"
#include "pair.h"
#include "values.h"

namespace vardelon::bench {
namespace {

using vardelon::testing::jniEnv;

// The type of the value the server holds under `name`, VT_EMPTY when none.
VARTYPE storedType(const Simulator& simulator, jint instance, const OLECHAR* name) {
  unique_bstr text(SysAllocString(name));
  VARIANTARG arguments[] = {textArgument(text.get()), integerArgument(instance)};
  DISPPARAMS parameters = parametersOf(arguments);
  unique_variant stored;
  bareInvoke(simulator.server(), simulator.memberId(OLESTR("GetVariableValueByName")), parameters,
             stored.get());
  return V_VT(stored.get());
}

}  // namespace

void connectLibrary(JNIEnv* env) {
  Java_com_mintova_vardelon_VardelonLink_connect(env, nullptr);
}

bool serveMatrix(benchmark::State& state, const Simulator& simulator, jint instance,
                 const OLECHAR* name, Shape shape) {
  unique_variant matrix(newMatrixVariant(VT_R8, shape));
  if (V_VT(matrix.get()) == VT_EMPTY || !simulator.setVariable(instance, name, *matrix)) {
    state.SkipWithError("the server refused the matrix");
    return false;
  }
  return true;
}

void measureVariableValue(benchmark::State& state, jint instance, const OLECHAR* name) {
  JNIEnv* env = jniEnv();
  const LocalFrame setup(env);
  jstring text = newJavaText(env, name);
  connectLibrary(env);
  measure(state, env, [&] {
    return Java_com_mintova_vardelon_VardelonLink_variableValue(env, nullptr, instance, text);
  });
}

void measureSetVariableValue(benchmark::State& state, const Simulator& simulator, jint instance,
                             const OLECHAR* name, jobject value, VARTYPE expected) {
  JNIEnv* env = jniEnv();
  const LocalFrame setup(env);
  jstring text = newJavaText(env, name);
  connectLibrary(env);
  auto set = [&] {
    Java_com_mintova_vardelon_VardelonLink_setVariableValue(env, nullptr, instance, text, value);
    return true;
  };
  set();
  if (storedType(simulator, instance, name) != expected) {
    state.SkipWithError("the server did not receive the value");
    return;
  }
  measure(state, env, set);
}

void measureBareInvoke(benchmark::State& state, const Simulator& simulator, const OLECHAR* member,
                       std::span<VARIANTARG> lastFirst, WORD flags, bool wantsResult) {
  const DISPID id = simulator.memberId(member);
  DISPPARAMS parameters = parametersOf(lastFirst);
  measure(state, jniEnv(), [&] {
    unique_variant result;
    const HRESULT called =
        bareInvoke(simulator.server(), id, parameters, wantsResult ? result.get() : nullptr, flags);
    return SUCCEEDED(called) && (!wantsResult || V_VT(result.get()) != VT_EMPTY);
  });
}

void measureBareGet(benchmark::State& state, const Simulator& simulator, jint instance,
                    const OLECHAR* name) {
  unique_bstr text(SysAllocString(name));
  VARIANTARG arguments[] = {textArgument(text.get()), integerArgument(instance)};
  measureBareInvoke(state, simulator, OLESTR("GetVariableValueByName"), arguments);
}

void measureBareSet(benchmark::State& state, const Simulator& simulator, jint instance,
                    const OLECHAR* name, const VARIANT& value) {
  unique_bstr text(SysAllocString(name));
  VARIANTARG arguments[] = {value, textArgument(text.get()), integerArgument(instance)};
  measureBareInvoke(state, simulator, OLESTR("SetVariableValueByName"), arguments, DISPATCH_METHOD,
                    false);
}

void measureMemcpy(benchmark::State& state, std::size_t bytes) {
  const std::vector<std::byte> source(bytes, std::byte{1});
  std::vector<std::byte> target(bytes);
  // No local frame: nothing here touches Java.
  for ([[maybe_unused]] auto _ : state) {
    std::memcpy(target.data(), source.data(), bytes);
    benchmark::ClobberMemory();
  }
}

}  // namespace vardelon::bench
