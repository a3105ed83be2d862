// The benchmark pairs, registered with Google Benchmark once the JVM exists.
#pragma once

#include "simulator.h"

namespace vardelon::bench {

// Automation values <-> Java objects, against raw JNI and OLE Automation.
void registerConversionBenchmarks();

// Round trips through the exports against the running simulator, against
// the bare Invoke on the same server; connect and disconnect against object
// creation. The simulator must outlive the run.
void registerServerBenchmarks(const Simulator& simulator);

}  // namespace vardelon::bench
