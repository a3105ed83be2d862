// The sides that the round trips against the simulator are made of: the
// library's exports, the bare Invoke of the same member on the same server
// with arguments built once, and one memcpy of a value's bytes.
#pragma once

#include <benchmark/benchmark.h>
#include <jni.h>

#include <cstddef>
#include <span>

#include "platform/automation.h"
#include "simulator.h"
#include "values.h"

namespace vardelon::bench {

// The library side of a round trip needs the connection, which the connect
// cycle ends; a failed connect shows as a failed first call.
void connectLibrary(JNIEnv* env);

// Sets `name` of `instance` to a VT_R8 matrix of `shape` holding varied
// values; false, after marking the benchmark failed, when the server refused.
bool serveMatrix(benchmark::State& state, const Simulator& simulator, jint instance,
                 const OLECHAR* name, Shape shape);

// Times variableValue(instance, name) through the export.
void measureVariableValue(benchmark::State& state, jint instance, const OLECHAR* name);

// Times setVariableValue(instance, name, value) through the export, after
// checking that one such call leaves the server holding a value tagged
// `expected` under `name`.
void measureSetVariableValue(benchmark::State& state, const Simulator& simulator, jint instance,
                             const OLECHAR* name, jobject value, VARTYPE expected);

// Times the bare Invoke of `member` with `lastFirst` and `flags`. When
// `wantsResult`, each call must answer a value, which is cleared.
void measureBareInvoke(benchmark::State& state, const Simulator& simulator, const OLECHAR* member,
                       std::span<VARIANTARG> lastFirst, WORD flags = DISPATCH_METHOD,
                       bool wantsResult = true);

// The bare GetVariableValueByName and SetVariableValueByName of one
// variable of `instance`; the value is borrowed for the whole run.
void measureBareGet(benchmark::State& state, const Simulator& simulator, jint instance,
                    const OLECHAR* name);
void measureBareSet(benchmark::State& state, const Simulator& simulator, jint instance,
                    const OLECHAR* name, const VARIANT& value);

// Times one memcpy of `bytes` between two buffers made (and touched) before
// the timing.
void measureMemcpy(benchmark::State& state, std::size_t bytes);

}  // namespace vardelon::bench
