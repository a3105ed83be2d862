#!/usr/bin/env bash
# The one test command: installs what the build needs (as root; otherwise it
# says what to install), configures the default preset, builds everything and
# runs every suite, showing the output of any test that fails. Exits non-zero
# on the first failure of any step.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
ctest --preset default
