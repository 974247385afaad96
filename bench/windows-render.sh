#!/usr/bin/env bash
# Render times of the Windows libraries, each as a ratio to a baseline
# measured in the same run: the C client renders the demo track through the
# WAV output as fast as it goes, contender and baseline alternating, five
# times each; the best and the median ratio are printed.
#   CorvaneMP3.dll (x86_64) under Wine against the native library;
#   with an i686 build and the private 32-bit Wine: the i686 library under
#   emulation against the x86_64 one under Wine (only to know the cost).
# Usage: bench/windows-render.sh LINUX_BUILD WINDOWS_X86_64_BUILD [WINDOWS_I686_BUILD]
set -euo pipefail
linux=$(cd "$1" && pwd)
windows64=$(cd "$2" && pwd)
windows32=${3:+$(cd "$3" && pwd)}
track=$linux/fixtures/demo.mp3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"; wineserver -k >/dev/null 2>&1 || true' EXIT
export WINEDEBUG=-all DISPLAY=

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

native() { CORVANEMP3_OUTPUT=wav-fast:$scratch/out.wav "$linux/bench/render_client" "$track" | tail -1; }
wine64() {
  WINEPREFIX=$windows64/wine-prefix CORVANEMP3_OUTPUT="wav-fast:$(windows_path "$scratch/out.wav")" \
    wine "$windows64/render_client.exe" "$(windows_path "$track")" | tr -d '\r' | tail -1
}
wine32() {
  WINEPREFIX=$windows32/wine-prefix CORVANEMP3_OUTPUT="wav-fast:$(windows_path "$scratch/out.wav")" \
    "$emulated_wine" "$windows32/render_client.exe" "$(windows_path "$track")" | tr -d '\r' | tail -1
}

ratio() {  # label baseline contender: speed of the contender as a ratio to the baseline
  local ratios=() base contender
  for round in 1 2 3 4 5; do
    base=$("$2")
    contender=$("$3")
    ratios+=("$(awk -v b="$base" -v c="$contender" 'BEGIN { printf "%.4f", b / c }')")
  done
  printf '%s\n' "${ratios[@]}" | sort -n | awk -v label="$1" '{ r[NR] = $1 }
    END { printf "%s: best %.2fx, median %.2fx\n", label, r[NR], r[int((NR + 1) / 2)] }'
}

[ -d "$windows64/wine-prefix" ] || WINEPREFIX=$windows64/wine-prefix wine wineboot --init >/dev/null 2>&1
ratio "render speed of CorvaneMP3.dll (x86_64) under Wine against the native library" native wine64

if [ -n "$windows32" ] && emulated_wine=$("$(dirname "$0")/../scripts/setup-win32-wine.sh" 2>/dev/null); then
  [ -d "$windows32/wine-prefix" ] || WINEPREFIX=$windows32/wine-prefix "$emulated_wine" wineboot --init >/dev/null 2>&1
  ratio "render speed of CorvaneMP3.dll (i686) under qemu-emulated Wine against x86_64 under Wine" wine64 wine32
fi
