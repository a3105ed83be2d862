// Cost growth: one operation timed at sizes from one element to millions,
// each size its own benchmark "growth/<series>/<elements>", so that the
// report can show time per element against size for every series side by
// side.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vardelon::bench {

struct GrowthPoint {
  std::string series;
  std::int64_t elements;
};

inline std::string growthBenchmarkName(const GrowthPoint& point) {
  return "growth/" + point.series + "/" + std::to_string(point.elements);
}

// The points registered so far, in order.
inline std::vector<GrowthPoint>& registeredGrowth() {
  static std::vector<GrowthPoint> points;
  return points;
}

template <typename Operation>
void registerGrowth(const std::string& series, std::int64_t elements, Operation&& operation) {
  const GrowthPoint point{series, elements};
  registeredGrowth().push_back(point);
  benchmark::RegisterBenchmark(growthBenchmarkName(point).c_str(),
                               std::forward<Operation>(operation));
}

}  // namespace vardelon::bench
