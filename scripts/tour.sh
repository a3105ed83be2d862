#!/usr/bin/env bash
# The main job: on a fresh Debian machine, installs what the build needs,
# builds the default preset, and takes a short tour of VardelonLink through
# the console against the Vardelon simulator.
#
#   scripts/tour.sh                        set up, build, tour
#   scripts/tour.sh --tour-only [BUILD]    only the tour, with an existing build
#                                          (default build/default)
#
# Each step of the tour prints the console command it runs, then its result.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

build="$root/build/default"
if [ "${1:-}" = --tour-only ]; then
  build="$(cd "${2:-$build}" && pwd)"
else
  scripts/install-deps.sh
  cmake --preset default
  cmake --build --preset default
fi

jar="$build/lib/vardelon-link.jar"
export AUTOMATION_REGISTRY="$build/vardelon-simulator.reg"
for needed in "$jar" "$AUTOMATION_REGISTRY"; do
  if [ ! -f "$needed" ]; then
    echo "tour: $needed is missing; build first (scripts/tour.sh without --tour-only)" >&2
    exit 1
  fi
done
# The demo model and the console's output hold non-ASCII text.
if [ "$(locale charmap 2>/dev/null)" != UTF-8 ]; then
  export LC_ALL=C.UTF-8
fi

echo "== A tour of VardelonLink against the Vardelon simulator"
# "$" stands for the instance that the last open returned.
java -jar "$jar" --echo \
  connect \
  version \
  'open examples/demo.model' \
  'names $' \
  'get $' \
  'set $ Gain 2.5' \
  'get $ Gain' \
  'set $ Title "step response"' \
  'get $ Title' \
  'set $ Weights int:[[1, 2, 3], [4, 5, 6]]' \
  'get $ Weights' \
  'values $ 0 1' \
  uvonames \
  uvoget \
  quit \
  status
