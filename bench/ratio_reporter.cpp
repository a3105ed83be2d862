#include "ratio_reporter.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "pair.h"

namespace vardelon::bench {
namespace {

std::string durationText(double seconds) {
  char text[32];
  if (seconds >= 1e-3) {
    std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
  } else if (seconds >= 1e-6) {
    std::snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
  } else if (seconds >= 1e-8) {
    std::snprintf(text, sizeof text, "%.0f ns", seconds * 1e9);
  } else {
    // Time per element of a large copy: a fraction of a nanosecond.
    std::snprintf(text, sizeof text, "%.2f ns", seconds * 1e9);
  }
  return text;
}

std::string ratioText(std::optional<double> measured, std::optional<double> baseline) {
  if (!measured || !baseline) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", *measured / *baseline);
  return text;
}

std::string pairSide(const std::string& pair, const char* side) {
  return pair + "/" + side;
}

}  // namespace

// Colours only for a terminal, so that a saved report stays plain text.
RatioReporter::RatioReporter(const std::vector<std::string>& pairNames,
                             const std::vector<GrowthPoint>& growthPoints)
    : ConsoleReporter(isatty(STDERR_FILENO) ? OO_Defaults : OO_None),
      pairNames_(pairNames),
      growthPoints_(growthPoints) {
  SetOutputStream(&std::cerr);
  SetErrorStream(&std::cerr);
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) collect(run);
}

void RatioReporter::Finalize() {
  ConsoleReporter::Finalize();
  printPairs();
  printGrowth();
  std::fflush(stdout);
}

std::optional<double> RatioReporter::Timings::median() const {
  if (repetitions.empty()) return medianAggregate;
  std::vector<double> sorted = repetitions;
  std::sort(sorted.begin(), sorted.end());
  const std::size_t middle = sorted.size() / 2;
  return sorted.size() % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

std::optional<double> RatioReporter::Timings::fastest() const {
  if (repetitions.empty()) return std::nullopt;
  return *std::min_element(repetitions.begin(), repetitions.end());
}

void RatioReporter::collect(const Run& run) {
  Timings& timings = timings_[run.run_name.function_name];
  if (run.error_occurred) {
    timings.error = run.error_message;
    return;
  }
  const double seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
  if (run.run_type == Run::RT_Iteration) {
    timings.repetitions.push_back(seconds);
  } else if (run.aggregate_name == "median") {
    timings.medianAggregate = seconds;
  }
}

const RatioReporter::Timings& RatioReporter::timingsOf(const std::string& benchmark) const {
  static const Timings kNotRun;
  const auto found = timings_.find(benchmark);
  return found == timings_.end() ? kNotRun : found->second;
}

void RatioReporter::printPairs() const {
  std::printf("\n| pair | baseline | measured | measured / baseline | of the fastest |\n");
  std::printf("|---|--:|--:|--:|--:|\n");
  for (const std::string& pair : pairNames_) {
    const Timings& measured = timingsOf(pairSide(pair, kLibrarySide));
    const Timings& baseline = timingsOf(pairSide(pair, kBaselineSide));
    if (!measured.ran() && !baseline.ran()) continue;  // filtered out
    if (!measured.median() || !baseline.median()) {
      const std::string& error = measured.median() ? baseline.error : measured.error;
      std::printf("| %s | failed: %s | | | |\n", pair.c_str(),
                  error.empty() ? "not run" : error.c_str());
      continue;
    }
    std::printf("| %s | %s | %s | %s | %s |\n", pair.c_str(),
                durationText(*baseline.median()).c_str(), durationText(*measured.median()).c_str(),
                ratioText(measured.median(), baseline.median()).c_str(),
                ratioText(measured.fastest(), baseline.fastest()).c_str());
  }
}

void RatioReporter::printGrowth() const {
  std::vector<std::string> series;
  std::vector<std::int64_t> sizes;
  for (const GrowthPoint& point : growthPoints_) {
    if (!timingsOf(growthBenchmarkName(point)).ran()) continue;
    if (std::find(series.begin(), series.end(), point.series) == series.end()) {
      series.push_back(point.series);
    }
    if (std::find(sizes.begin(), sizes.end(), point.elements) == sizes.end()) {
      sizes.push_back(point.elements);
    }
  }
  if (series.empty()) return;
  std::sort(sizes.begin(), sizes.end());
  std::printf("\n| elements |");
  for (const std::string& name : series) std::printf(" %s |", name.c_str());
  std::printf("\n|--:|");
  for (std::size_t i = 0; i < series.size(); ++i) std::printf("--:|");
  for (const std::int64_t elements : sizes) {
    std::printf("\n| %lld |", static_cast<long long>(elements));
    for (const std::string& name : series) {
      const Timings& timings = timingsOf(growthBenchmarkName({name, elements}));
      if (const std::optional<double> median = timings.median()) {
        std::printf(" %s (%s) |", durationText(*median).c_str(),
                    durationText(*median / static_cast<double>(elements)).c_str());
      } else {
        std::printf(" %s |", timings.error.empty() ? "-" : "failed");
      }
    }
  }
  std::printf("\n");
}

}  // namespace vardelon::bench
