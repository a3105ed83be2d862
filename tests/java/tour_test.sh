#!/usr/bin/env bash
# The tour's console part against a build: runs scripts/tour.sh --tour-only and
# checks that its key lines come out, in order, and that no command was refused.
#   tests/java/tour_test.sh <build folder>
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

output="$("$root/scripts/tour.sh" --tour-only "$1" 2>&1)"
status=$?
printf '%s\n' "$output"
if [ $status -ne 0 ]; then
  echo "FAILED: the tour exited with $status"
  exit 1
fi

expected=(
  'vardelon> connect' 'connected'
  'vardelon> version' 'Vardelon Simulator 1.0'
  'vardelon> open examples/demo.model' '2'
  'vardelon> get $ Gain' 'Double 2.5'
  'vardelon> get $ Title' 'String "step response"'
  'vardelon> get $ Weights' 'int[2][3]' '  1  2  3' '  4  5  6'
  'vardelon> uvoget' 'Solver = String "euler"'
  'vardelon> quit' 'disconnected'
  'vardelon> status' 'not connected'
)
failed=0
rest=$'\n'"$output"$'\n'
for line in "${expected[@]}"; do
  case "$rest" in
    *$'\n'"$line"$'\n'*) rest=$'\n'"${rest#*$'\n'"$line"$'\n'}" ;;
    *) echo "FAILED: no line \"$line\" where expected"; failed=1 ;;
  esac
done
for refusal in '(no variables)' 'unknown command' 'usage:' 'Invoke error' 'Unknown OLE'; do
  if grep -qF -- "$refusal" <<<"$output"; then
    echo "FAILED: the tour printed \"$refusal\""
    failed=1
  fi
done
exit $failed
