#!/usr/bin/env bash
# Builds the benchmarks and runs them: prints one table of ratios, library /
# baseline, per pair. Google Benchmark's full report of every repetition goes
# to <build>/bench-report.txt. Arguments are passed to the benchmark binary,
# after the defaults, so they can override them:
#   bench/run.sh --benchmark_filter=variantToJava
#   bench/run.sh --benchmark_repetitions=20
# The build directory is build/bench, or $VARDELON_BENCH_BUILD.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VARDELON_BENCH_BUILD:-$root/build/bench}"

mkdir -p "$build"
log="$build/bench-build.log"
if ! { cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARDELON_BUILD_BENCHMARKS=ON &&
  cmake --build "$build" --target vardelon_bench -j2; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "bench/run.sh: the build failed (Google Benchmark is libbenchmark-dev)" >&2
  exit 1
fi

# Repetitions in random order spread the noise of a shared machine over both
# sides of every pair; the table shows medians over them.
"$build/bin/vardelon_bench" \
  --benchmark_repetitions=10 \
  --benchmark_min_time=0.1 \
  --benchmark_enable_random_interleaving=true \
  "$@" 2>"$build/bench-report.txt"
echo
echo "Times are CPU time per call; the full report is in $build/bench-report.txt"
