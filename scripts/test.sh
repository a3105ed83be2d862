#!/usr/bin/env bash
# The one test command: installs what the build needs (as root; otherwise it
# says what to install), configures the default preset, builds everything and
# runs every suite, showing the output of any test that fails; then the native
# suites under AddressSanitizer/UBSan and ThreadSanitizer, and a short run of
# every fuzz target. `--quick` stops after the default preset's suites.
# Exits non-zero on the first failure of any step.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
ctest --preset default

if [ "${1:-}" = --quick ]; then
  exit 0
fi
scripts/sanitizers.sh
scripts/fuzz.sh
