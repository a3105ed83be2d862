// Google Benchmark's console report, sent to standard error, and at the end
// of the run one table on standard output: for each pair, the median CPU
// time per iteration of its baseline and of the library's side over the
// repetitions, the ratio of the two medians, and the ratio of the two
// fastest repetitions. On a shared machine noise only ever adds time, so
// where the two ratios agree the row can be trusted. When only aggregates
// are reported (--benchmark_*_aggregates_only) the "median" aggregates stand
// in and the ratio of the fastest is not known.
#pragma once

#include <benchmark/benchmark.h>

#include <optional>
#include <string>
#include <vector>

namespace vardelon::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // The table lists the pairs in this order, then any other pair reported.
  explicit RatioReporter(const std::vector<std::string>& pairNames);

  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

 private:
  struct Side {
    std::vector<double> repetitions;  // CPU seconds per iteration
    std::optional<double> medianAggregate;
    std::string error;

    std::optional<double> median() const;
    std::optional<double> fastest() const;
  };

  struct Pair {
    std::string name;
    Side library;
    Side baseline;
  };

  void collect(const Run& run);
  // The side that a benchmark named "<pair>/<side>" times, or null.
  Side* sideOf(const std::string& benchmark);
  void printTable() const;

  std::vector<Pair> pairs_;
};

}  // namespace vardelon::bench
