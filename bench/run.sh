#!/usr/bin/env bash
# Builds the benchmarks and runs them: first the native binary, which prints
# a table of ratios (measured / baseline) per pair and a table of time
# against size; then the Java harness, which prints its own table of ratios.
# Google Benchmark's full report of every repetition goes to
# <build>/bench-report.txt. Arguments are passed to the native binary, after
# the defaults, so they can override them:
#   bench/run.sh --benchmark_filter=variantToJava
#   bench/run.sh --benchmark_repetitions=20
# VARDELON_BENCH_JAVA=0 skips the Java harness. The build directory is
# build/bench, or $VARDELON_BENCH_BUILD.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VARDELON_BENCH_BUILD:-$root/build/bench}"

mkdir -p "$build"
log="$build/bench-build.log"
if ! { cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARDELON_BUILD_BENCHMARKS=ON &&
  cmake --build "$build" --target vardelon_bench vardelon_java_bench -j2; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "bench/run.sh: the build failed (Google Benchmark is libbenchmark-dev)" >&2
  exit 1
fi

# The machine the figures come from; the load shows how shared it was.
echo "Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
echo "Load average at the start: $(cut -d ' ' -f 1-3 /proc/loadavg)"
echo "Compiler: $(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt") $(c++ -dumpfullversion), RelWithDebInfo"
echo "JDK: $(java -version 2>&1 | head -n 1)"

# Repetitions in random order spread the noise of a shared machine over both
# sides of every pair; the tables show medians over them.
"$build/bin/vardelon_bench" \
  --benchmark_repetitions=10 \
  --benchmark_min_time=0.1 \
  --benchmark_enable_random_interleaving=true \
  "$@" 2>"$build/bench-report.txt"
echo
echo "Native times are CPU time per call; the full report is in $build/bench-report.txt"

if [[ "${VARDELON_BENCH_JAVA:-1}" != 0 ]]; then
  echo
  echo "Java harness (CPU time of the calling thread per call):"
  "$build/bin/vardelon_java_bench"
fi
echo "Load average at the end: $(cut -d ' ' -f 1-3 /proc/loadavg)"
