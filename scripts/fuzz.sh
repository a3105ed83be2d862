#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, AddressSanitizer and UBSan),
# replays every seed and regression input once (ctest --preset fuzz), then
# fuzzes each target for a short while from a copy of its seed corpus, so
# that the repository stays as it was. FUZZ_SECONDS sets the time per target
# (default 45). Exits non-zero when a step fails or an input breaks a target;
# such an input is kept in build/fuzz/findings/<target>/, ready to become a
# regression in fuzz/regressions/<target>/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

seconds=${FUZZ_SECONDS:-45}
targets=(simulator_language coercion java_round_trip)

cmake --preset fuzz
cmake --build --preset fuzz
ctest --preset fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for target in "${targets[@]}"; do
  findings=build/fuzz/findings/$target
  mkdir -p "$work/$target" "$findings"
  cp fuzz/corpus/"$target"/* "$work/$target/"
  log=$work/$target.log
  dictionary=()
  if [ -f fuzz/"$target".dict ]; then dictionary=(-dict=fuzz/"$target".dict); fi
  if build/fuzz/bin/"${target}"_fuzzer -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      "${dictionary[@]}" -artifact_prefix="$findings/" "$work/$target" >"$log" 2>&1; then
    outcome=passed
  else
    outcome=FAILED
    status=1
    grep -v -E '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse)' "$log" | tail -60
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -o 'cov: [0-9]* ft: [0-9]* corp: [0-9]*' "$log" | tail -1)
  echo "fuzz $target: $outcome, ${executions:-?} executions in ${seconds}s, $coverage"
done
exit $status
