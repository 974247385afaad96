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
# The Windows libraries under Wine, when make windows has built them.
windows=${WINDOWS_BUILD:-build-windows}
if [ -f "$windows-x86_64/render_client.exe" ] && command -v wine >/dev/null 2>&1; then
  echo "== windows-render"
  i686=$windows-i686
  [ -f "$i686/render_client.exe" ] || i686=
  bench/windows-render.sh "$build" "$windows-x86_64" $i686 || status=1
fi
exit $status
