#!/usr/bin/env bash
# The render speed of CorvaneMP3.dll under Wine as a ratio to the native
# library on the same file in the same run: the C client renders the demo
# track through the WAV output as fast as it goes, the two alternating,
# five times each; the best and the median ratio are printed.
# Usage: bench/windows-render.sh LINUX_BUILD WINDOWS_BUILD
set -euo pipefail
linux=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
track=$linux/fixtures/demo.mp3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"; wineserver -k >/dev/null 2>&1 || true' EXIT
export WINEPREFIX=$windows/wine-prefix WINEDEBUG=-all DISPLAY=
[ -d "$WINEPREFIX" ] || wine wineboot --init >/dev/null 2>&1

native=() wine_times=()
for round in 1 2 3 4 5; do
  native+=("$(CORVANEMP3_OUTPUT=wav-fast:$scratch/native.wav "$linux/tests/decoder_client" render "$track" | tail -1)")
  wine_times+=("$(CORVANEMP3_OUTPUT="wav-fast:Z:${scratch//\//\\}\\wine.wav" \
    wine "$windows/decoder_client.exe" render "Z:${track//\//\\}" | tr -d '\r' | tail -1)")
done
python3 - "${native[*]}" "${wine_times[*]}" <<'PY' 2>/dev/null || awk -v n="${native[*]}" -v w="${wine_times[*]}" \
  'BEGIN { split(n, a, " "); split(w, b, " "); best = 0; for (i in a) if (a[i] / b[i] > best) best = a[i] / b[i];
           printf "render speed of CorvaneMP3.dll under Wine against the native library: best %.2fx\n", best }'
import statistics, sys
native = [float(x) for x in sys.argv[1].split()]
wine = [float(x) for x in sys.argv[2].split()]
ratios = sorted(n / w for n, w in zip(native, wine))
print(f"render speed of CorvaneMP3.dll under Wine against the native library: "
      f"best {ratios[-1]:.2f}x, median {statistics.median(ratios):.2f}x "
      f"(native median {statistics.median(native):.3f} s, Wine median {statistics.median(wine):.3f} s)")
PY
