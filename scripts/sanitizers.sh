#!/usr/bin/env bash
# The native suites under the sanitizers, one preset after the other:
#   asan  AddressSanitizer and UBSan over the automation layer, the library,
#         the simulator and the native suites with the JVM embedded;
#   tsan  ThreadSanitizer over the automation layer and the simulator, with
#         their suites and the threads that call one server object at once.
# Each preset configures, builds and runs its tests; the script stops at the
# first failure.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

for preset in asan tsan; do
  echo "== $preset"
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
