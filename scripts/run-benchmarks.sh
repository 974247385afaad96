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
# The Windows library under Wine, when make windows has built it.
windows=${WINDOWS_BUILD:-build-windows}-x86_64
if [ -f "$windows/decoder_client.exe" ] && command -v wine >/dev/null 2>&1; then
  echo "== windows-render"
  bench/windows-render.sh "$build" "$windows" || status=1
fi
exit $status
