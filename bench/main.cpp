// The benchmark binary: one JVM, the simulator, and every benchmark. Google
// Benchmark's flags apply (--benchmark_filter, --benchmark_repetitions ...);
// the tables of ratios and of growth go to standard output, the detailed
// report to standard error.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "benchmarks.h"
#include "com_mintova_vardelon_VardelonLink.h"
#include "growth.h"
#include "jvm.h"
#include "pair.h"
#include "platform/automation.h"
#include "ratio_reporter.h"
#include "simulator.h"

namespace {

constexpr char kJavaOptions[] = "-Xms2g -Xmx2g -XX:+AlwaysPreTouch";

struct LiveCounts {
  LONG bstrs = AutomationLiveBstrCount();
  LONG arrays = AutomationLiveSafeArrayCount();
};

// A side that leaked would have timed its leak too.
bool sameCounts(const LiveCounts& before, const LiveCounts& after) {
  if (before.bstrs == after.bstrs && before.arrays == after.arrays) return true;
  std::printf("The run left %ld BSTRs and %ld SAFEARRAYs alive that were not before it\n",
              static_cast<long>(after.bstrs - before.bstrs),
              static_cast<long>(after.arrays - before.arrays));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The round trips run against the simulator built beside this binary.
  setenv("AUTOMATION_REGISTRY", VARDELON_SIMULATOR_REGISTRATION, 1);
  // A heap of fixed size whose pages are touched at start, as a long-running
  // program's heap is; a growing heap would put its first-touch page faults
  // into whichever side happened to allocate. Any options set outside win.
  setenv("JAVA_TOOL_OPTIONS", kJavaOptions, 0);
  JNIEnv* env = vardelon::testing::jniEnv();
  // The baselines create server objects, which needs COM on this thread;
  // the library's connect and disconnect nest their own initialisation
  // inside this one.
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  // Counted before the simulator starts and after it stops, since the
  // variables that the benchmarks set live as long as the simulated
  // application.
  const LiveCounts before;
  {
    const vardelon::bench::Simulator simulator;
    vardelon::bench::registerConversionBenchmarks();
    if (simulator.running()) {
      vardelon::bench::registerServerBenchmarks(simulator);
      vardelon::bench::registerThroughputBenchmarks(simulator);
      vardelon::bench::registerGrowthBenchmarks(simulator);
    }
    vardelon::bench::RatioReporter reporter(vardelon::bench::registeredPairs(),
                                            vardelon::bench::registeredGrowth());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // The round trips leave the library connected: end that while COM and
    // the simulator are still up.
    Java_com_mintova_vardelon_VardelonLink_disconnect(env, nullptr);
  }
  const bool clean = sameCounts(before, LiveCounts{});
  benchmark::Shutdown();
  CoUninitialize();
  return clean ? 0 : 1;
}
