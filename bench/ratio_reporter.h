// Google Benchmark's console report, sent to standard error, and at the end
// of the run two tables on standard output.
//
// Pairs: for each, the median CPU time per iteration of its baseline and of
// its measured side over the repetitions, the ratio of the two medians, and
// the ratio of the two fastest repetitions. On a shared machine noise only
// ever adds time, so where the two ratios agree the row can be trusted. When
// only aggregates are reported (--benchmark_*_aggregates_only) the "median"
// aggregates stand in and the ratio of the fastest is not known.
//
// Growth: one row per number of elements, one column per series, each cell
// the median time of a call and, in brackets, that time per element.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "growth.h"

namespace vardelon::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // The tables list the pairs and the series in these orders.
  RatioReporter(const std::vector<std::string>& pairNames,
                const std::vector<GrowthPoint>& growthPoints);

  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

 private:
  struct Timings {
    std::vector<double> repetitions;  // CPU seconds per iteration
    std::optional<double> medianAggregate;
    std::string error;

    std::optional<double> median() const;
    std::optional<double> fastest() const;
    bool ran() const { return median() || !error.empty(); }
  };

  void collect(const Run& run);
  // The timings of a benchmark, empty when it did not run.
  const Timings& timingsOf(const std::string& benchmark) const;
  void printPairs() const;
  void printGrowth() const;

  std::vector<std::string> pairNames_;
  std::vector<GrowthPoint> growthPoints_;
  std::map<std::string, Timings> timings_;  // by benchmark name
};

}  // namespace vardelon::bench
