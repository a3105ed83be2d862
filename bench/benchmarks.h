// The benchmark pairs, registered with Google Benchmark once the JVM exists.
#pragma once

#include "simulator.h"

namespace vardelon::bench {

// Automation values <-> Java objects, against raw JNI and OLE Automation.
void registerConversionBenchmarks();

// The benchmarks below run against the simulator, which must outlive the run.

// Per call: exports against the bare Invoke on the same server; connect and
// disconnect against object creation.
void registerServerBenchmarks(const Simulator& simulator);

// Reading and writing matrices of doubles, against one memcpy of their bytes.
void registerThroughputBenchmarks(const Simulator& simulator);

// Time against size, from 1 to 10^7 elements (growth.h).
void registerGrowthBenchmarks(const Simulator& simulator);

}  // namespace vardelon::bench
