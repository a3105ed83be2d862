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
  } else {
    std::snprintf(text, sizeof text, "%.0f ns", seconds * 1e9);
  }
  return text;
}

std::string ratioText(std::optional<double> library, std::optional<double> baseline) {
  if (!library || !baseline) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", *library / *baseline);
  return text;
}

}  // namespace

// Colours only for a terminal, so that a saved report stays plain text.
RatioReporter::RatioReporter(const std::vector<std::string>& pairNames)
    : ConsoleReporter(isatty(STDERR_FILENO) ? OO_Defaults : OO_None) {
  SetOutputStream(&std::cerr);
  SetErrorStream(&std::cerr);
  for (const std::string& name : pairNames) pairs_.push_back({name, {}, {}});
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) collect(run);
}

void RatioReporter::Finalize() {
  ConsoleReporter::Finalize();
  printTable();
}

std::optional<double> RatioReporter::Side::median() const {
  if (repetitions.empty()) return medianAggregate;
  std::vector<double> sorted = repetitions;
  std::sort(sorted.begin(), sorted.end());
  const std::size_t middle = sorted.size() / 2;
  return sorted.size() % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

std::optional<double> RatioReporter::Side::fastest() const {
  if (repetitions.empty()) return std::nullopt;
  return *std::min_element(repetitions.begin(), repetitions.end());
}

void RatioReporter::collect(const Run& run) {
  Side* side = sideOf(run.run_name.function_name);
  if (side == nullptr) return;
  if (run.error_occurred) {
    side->error = run.error_message;
    return;
  }
  const double seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
  if (run.run_type == Run::RT_Iteration) {
    side->repetitions.push_back(seconds);
  } else if (run.aggregate_name == "median") {
    side->medianAggregate = seconds;
  }
}

RatioReporter::Side* RatioReporter::sideOf(const std::string& benchmark) {
  const std::size_t slash = benchmark.rfind('/');
  if (slash == std::string::npos) return nullptr;
  const std::string name = benchmark.substr(0, slash);
  const std::string side = benchmark.substr(slash + 1);
  if (side != kLibrarySide && side != kBaselineSide) return nullptr;
  auto pair = std::find_if(pairs_.begin(), pairs_.end(),
                           [&](const Pair& candidate) { return candidate.name == name; });
  if (pair == pairs_.end()) pair = pairs_.insert(pairs_.end(), Pair{name, {}, {}});
  return side == kLibrarySide ? &pair->library : &pair->baseline;
}

void RatioReporter::printTable() const {
  std::printf("\n| pair | baseline | library | library / baseline | of the fastest |\n");
  std::printf("|---|--:|--:|--:|--:|\n");
  for (const Pair& pair : pairs_) {
    const std::optional<double> library = pair.library.median();
    const std::optional<double> baseline = pair.baseline.median();
    if (!library && !baseline && pair.library.error.empty() && pair.baseline.error.empty()) {
      continue;  // filtered out
    }
    if (!library || !baseline) {
      const std::string& error = library ? pair.baseline.error : pair.library.error;
      std::printf("| %s | failed: %s | | | |\n", pair.name.c_str(),
                  error.empty() ? "not run" : error.c_str());
      continue;
    }
    std::printf("| %s | %s | %s | %s | %s |\n", pair.name.c_str(), durationText(*baseline).c_str(),
                durationText(*library).c_str(), ratioText(library, baseline).c_str(),
                ratioText(pair.library.fastest(), pair.baseline.fastest()).c_str());
  }
  std::fflush(stdout);
}

}  // namespace vardelon::bench
