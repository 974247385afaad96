#!/usr/bin/env bash
# Tests the Windows zip as a developer uses it: its examples built with MinGW from its own include/ and
# lib/ only, then run per architecture under Wine in a fresh prefix (x86 on the private 32-bit Wine) with
# the zip's control registered: the C program, the C++ event client and both scripts.
# Usage: test-zip.sh ZIP LINUX_BUILD
set -euo pipefail
zip=$(realpath "$1")
fixtures=$(cd "$2/fixtures" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/test-zip.XXXXXX")
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY= CORVANEMP3_OUTPUT=null
trap 'for p in "$scratch"/wine-*; do WINEPREFIX=$p wineserver -k 2>/dev/null || true; done; rm -rf "$scratch"' EXIT
failed=0
check() {  # name command...: one check, its output shown when it fails
  local output
  if output=$("${@:2}" 2>&1); then echo "ok: $1"; else echo "FAILED: $1"; printf '%s\n' "$output" | tail -25; failed=$((failed + 1)); fi
}
prints() {  # "LINE|LINE..." command...: the command prints every line (its exit status aside)
  local output line
  output=$("${@:2}" 2>&1 | tr -d '\r' || true)
  IFS='|' read -ra lines <<< "$1"
  for line in "${lines[@]}"; do grep -qxF "$line" <<< "$output" || { printf 'missing: %s\n%s\n' "$line" "$output"; return 1; }; done
}
winpath() { printf 'Z:%s' "${1//\//\\}"; }

unzip -q "$zip" -d "$scratch"
root=$(echo "$scratch"/CorvaneMP3-*)
check "the zip's top folder holds the documented files" test -f "$root/CorvaneSG3.chm" -a -f "$root/README.txt" -a -f "$root/LICENSE" \
  -a -f "$root/THIRD-PARTY-NOTICES.txt" -a -f "$root/x86/CorvaneMP3.tlb" -a -f "$root/x64/CorvaneMP3.tlb"
mkdir "$scratch/music" && cp "$fixtures"/{l3_mpeg1_cbr128_joint_v1,l2_mpeg1_192_stereo_v1,bad_text}.mp3 "$scratch/music/"
file=$(winpath "$scratch/music/l3_mpeg1_cbr128_joint_v1.mp3")
music=$(winpath "$scratch/music")
declare -A triple=([x86]=i686-w64-mingw32 [x64]=x86_64-w64-mingw32) format=([x86]=pei-i386 [x64]=pei-x86-64)
for arch in x64 x86; do
  bin=$scratch/bin-$arch && mkdir "$bin"
  check "$arch/ holds ${format[$arch]} images" test "$(objdump -f "$root/$arch"/CorvaneMP3.{dll,ocx} | grep -c "format ${format[$arch]}$")" = 2
  check "$arch: decode.c builds from the zip's include/ and lib/$arch" "${triple[$arch]}-gcc" -Wall -Werror \
    -I "$root/include" "$root/examples/decode.c" -L "$root/lib/$arch" -lCorvaneMP3 -o "$bin/decode.exe"
  check "$arch: PlayerEvents.cpp builds with the zip's GUID definitions" "${triple[$arch]}-g++" -Wall -Werror -static \
    -I "$root/include" "$root/examples/PlayerEvents.cpp" "$root/include/CorvaneMP3TypeLibrary_i.c" -lole32 -loleaut32 -luuid -o "$bin/PlayerEvents.exe"
  wine=wine && export WINEARCH=win64 WINEPREFIX=$scratch/wine-$arch
  if [ "$arch" = x86 ]; then
    wine=$("$here/../../scripts/setup-win32-wine.sh") || { echo "skipped: the 32-bit Wine is not available"; continue; }
    WINEARCH=win32
  fi
  "$wine" wineboot --init >/dev/null 2>&1 || { echo "FAILED: $arch: Wine cannot make a prefix"; failed=$((failed + 1)); continue; }
  check "$arch: regsvr32 registers the zip's control" "$wine" regsvr32 /s "$(winpath "$root/$arch/CorvaneMP3.ocx")"
  check "$arch: decode.exe prints the stream and tag facts and plays to the end" \
    prints "stream: MPEG 1 layer 3, 44100 Hz, 128000 bit/s CBR, Joint Stereo|length: 3000 ms, 116 frames, 49028 bytes|tag title: Fixture-Title|tag artist: Fixture-Artist|tag year: 2024|tag genre: 8|playing|finished" \
    env WINEPATH="$(winpath "$root/$arch")" "$wine" "$bin/decode.exe" "$file"
  check "$arch: PlayerEvents.exe sees FinishedPlaying" prints "playing|FinishedPlaying arrived" "$wine" "$bin/PlayerEvents.exe" "$file"
  for script in play.vbs play.js; do
    check "$arch: $script reads the file it plays" prints "playing $file (MPEG 1 layer 3, 44100 Hz, 3 s)" \
      "$wine" cscript //nologo "$(winpath "$root/examples/$script")" "$file"
    check "$arch: $script lists, sorts and saves a folder" prints "error 30075 adding bad_text.mp3: File is not a recognized audio file format.|1. l2_mpeg1_192_stereo_v1.mp3 - 3 s|2. l3_mpeg1_cbr128_joint_v1.mp3 - 3 s|2 entries, 6 s in all|saved $music\\$arch-$script.m3u" \
      "$wine" cscript //nologo "$(winpath "$root/examples/$script")" "$music" "$music\\$arch-$script.m3u"
    check "$arch: $script saved both entries in order" grep -qzE "l2_mpeg1_192_stereo_v1.mp3.*l3_mpeg1_cbr128_joint_v1.mp3" "$scratch/music/$arch-$script.m3u"
  done
  wineserver -k 2>/dev/null || true
done
[ "$failed" -eq 0 ] && echo "zip tests: all passed" || { echo "zip tests: $failed failed"; exit 1; }
