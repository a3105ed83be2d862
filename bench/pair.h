// A benchmark pair: an operation of the library and the cheapest honest
// baseline that does the same essential work. The two sides are registered
// as "<pair>/library" and "<pair>/baseline", which is how the ratio
// reporter finds them, and both are timed by the same loop.
#pragma once

#include <benchmark/benchmark.h>
#include <jni.h>

#include <string>
#include <utility>
#include <vector>

#include "local_frame.h"

namespace vardelon::bench {

inline constexpr char kLibrarySide[] = "library";
inline constexpr char kBaselineSide[] = "baseline";

// The names of the pairs registered so far, in order.
inline std::vector<std::string>& registeredPairs() {
  static std::vector<std::string> names;
  return names;
}

template <typename Library, typename Baseline>
void registerPair(const std::string& pair, Library&& library, Baseline&& baseline) {
  registeredPairs().push_back(pair);
  benchmark::RegisterBenchmark((pair + "/" + kLibrarySide).c_str(), std::forward<Library>(library));
  benchmark::RegisterBenchmark((pair + "/" + kBaselineSide).c_str(),
                               std::forward<Baseline>(baseline));
}

// Times `operation`, each iteration inside a local frame of its own. The
// operation returns what it made (a Java object) or whether it worked; it
// is tried once before the timing, and a side that fails there, or leaves a
// Java exception pending at the end, is reported as failed instead of timed.
template <typename Operation>
void measure(benchmark::State& state, JNIEnv* env, Operation&& operation) {
  bool worked = false;
  {
    const LocalFrame frame(env);
    worked = static_cast<bool>(operation());
  }
  if (worked && !env->ExceptionCheck()) {
    for (auto _ : state) {
      const LocalFrame frame(env);
      benchmark::DoNotOptimize(operation());
    }
  }
  if (env->ExceptionCheck()) {
    env->ExceptionDescribe();  // and clears it
    state.SkipWithError("a Java exception was left pending");
  } else if (!worked) {
    state.SkipWithError("the operation failed before the timing");
  }
}

}  // namespace vardelon::bench
