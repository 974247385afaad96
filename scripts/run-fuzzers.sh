#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a bounded time each.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-30}
status=0
for target in "$build"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$build/fuzz-corpus/$name"
  mkdir -p "$corpus"
  seeds="$(dirname "$0")/../fuzz/seeds"
  echo "== $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -max_len=65536 "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) || status=1
done
exit $status
