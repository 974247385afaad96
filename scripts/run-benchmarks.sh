#!/usr/bin/env bash
# Runs every benchmark program of a build; each prints its figures as ratios
# against a baseline measured in the same run.
set -euo pipefail
build=${1:-build}
status=0
for program in "$build"/bench/bench_*; do
  [ -x "$program" ] || continue
  echo "== $(basename "$program")"
  "$program" --benchmark_min_time=0.2 || status=1
done
exit $status
