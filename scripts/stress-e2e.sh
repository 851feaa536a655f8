#!/usr/bin/env bash
# Runs the end-to-end labels (wine64 and wine32) N times in a row with both cores kept busy by a
# CPU hog, and prints the failures of each run: a flaky run shows up here, not in CI.
# Usage: scripts/stress-e2e.sh [N]   (default 5; the asan build must exist: make test builds it)
#   SFX_WINE32_QEMU=1 runs Wine's 32-bit loader under qemu, as a kernel without i386 support would.
set -uo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
hogs=()
for _ in $(seq "$(nproc)"); do
  (while :; do :; done) &
  hogs+=($!)
done
trap 'kill "${hogs[@]}" 2>/dev/null' EXIT
failed=0
for run in $(seq "$runs"); do
  log=build/stress-$run.log
  start=$SECONDS
  ctest --preset asan -L 'wine64|wine32' -j2 --output-on-failure >"$log" 2>&1
  failures=$(grep -cE '\*\*\*(Failed|Timeout)|\(Failed\)|\(Timeout\)' "$log")
  echo "run $run of $runs: $(grep -Eo '[0-9]+% tests passed.*' "$log" | head -n1), $((SECONDS - start)) s"
  grep -E '^\s+[0-9]+ - .*\((Failed|Timeout)\)' "$log" | sed 's/^/  /'
  [ "$failures" -eq 0 ] || failed=$((failed + 1))
done
echo "$((runs - failed)) of $runs runs passed"
[ "$failed" -eq 0 ]
