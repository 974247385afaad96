#!/usr/bin/env bash
# Tests the Debian package as users meet it: its files, lintian, its declared run-time
# dependencies; unpacked into a scratch root, the example built with CMake and with
# pkg-config playing a fixture, the installed cvmp3 playing its demo track, the manual page.
# Usage: tests/dist/test-deb.sh DEB LINUX_BUILD
set -uo pipefail
deb=$(realpath "$1") && build=$(cd "$2" && pwd) && [ -f "$deb" ] || { echo "FAIL: no package $1 or build $2"; exit 1; }
top=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/test-deb.XXXXXX")")
root=$scratch/root lib=$scratch/root/usr/lib failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
version=$(dpkg-deb -f "$deb" Version) && unset CORVANEMP3_LIBRARY

listing=$(dpkg-deb -c "$deb" | awk '{print substr($6, 3)}')
for path in usr/bin/cvmp3 usr/share/man/man1/cvmp3.1.gz usr/share/corvanemp3/demo.mp3 \
    usr/share/doc/corvanemp3/copyright usr/share/doc/corvanemp3/changelog.gz \
    usr/lib/libCorvaneMP3.so{,.1,."$version"} usr/lib/libCorvaneControls.so{,.1,."$version"} \
    usr/lib/pkgconfig/corvanemp3.pc usr/lib/cmake/CorvaneMP3/CorvaneMP3{Config,ConfigVersion,Targets}.cmake \
    usr/include/CorvaneMP3.h usr/include/CorvaneMP3/{player/CVMP3Player.h,playlist/CVMP3PlayList.h,equalizer/Equalizer.h}; do
  grep -qx "$path" <<<"$listing" || fail "the package lacks /$path"
done
lintian_out=$(lintian "$deb" 2>&1) || fail "lintian reports errors (or did not run):"$'\n'"$(grep -v '^[WIPN]:' <<<"$lintian_out")"

dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x"; exit 1; }
depends=$(dpkg-deb -f "$deb" Depends)
for file in "$root"/usr/bin/* "$lib"/*.so.*.*; do
  readelf -d "$file" | grep -Eq '\((RPATH|RUNPATH)\)' && fail "${file#"$root"} has an RPATH or RUNPATH"
  for soname in $(readelf -d "$file" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    [ -e "$lib/$soname" ] && continue
    owner=$(dpkg -S "*/x86_64-linux-gnu/$soname" 2>/dev/null | head -1 | cut -d: -f1)
    [[ -n "$owner" && ", $depends," == *", $owner"[\ ,]* ]] ||
      fail "${file#"$root"} needs $soname (package '${owner:-?}'), which Depends ($depends) lacks"
  done
done
# Every header the installed headers include is installed too.
for header in $(find "$root/usr/include" -name '*.h'); do
  for included in $(sed -n 's/^#include "\(.*\)"/\1/p' "$header"); do
    [ -f "$root/usr/include/CorvaneMP3/$included" ] || [ -f "$root/usr/include/$included" ] ||
      [ -f "$(dirname "$header")/$included" ] || fail "${header#"$root"} includes $included, which is not installed"
  done
done

# The embedding example: built with the CMake package and with pkg-config.
cmake -S "$top/examples/embed-player" -B "$scratch/cmake" -DCMAKE_PREFIX_PATH="$root/usr" >"$scratch/cmake.log" 2>&1 &&
  cmake --build "$scratch/cmake" >>"$scratch/cmake.log" 2>&1 || fail "CMake build of the example:"$'\n'"$(tail -20 "$scratch/cmake.log")"
flags=$(PKG_CONFIG_PATH=$lib/pkgconfig pkg-config --cflags --libs corvanemp3) &&
  g++ -std=c++20 -o "$scratch/pc-player" "$top/examples/embed-player/main.cpp" $flags >"$scratch/pc.log" 2>&1 ||
  fail "pkg-config build of the example with '$flags':"$'\n'"$(tail -20 "$scratch/pc.log")"
for word in $flags; do  # the .pc file finds its prefix from its own folder
  [[ $word != -[IL]* || $(realpath -m "${word:2}") == "$root"/* ]] || fail "pkg-config points outside the root: $word"
done
plays() {  # what WAV ... program arguments...: the program writes a WAV with audio
  local what=$1 wav=$2 out
  out=$(LD_LIBRARY_PATH=$lib CORVANEMP3_OUTPUT=wav-fast:$wav timeout 120 "${@:3}" 2>&1) || { fail "$what: exit status $?: $out"; return 1; }
  [ "$(stat -c %s "$wav" 2>/dev/null || echo 0)" -gt 176444 ] || fail "$what: $wav holds less than a second of audio"
  echo "$out"
}
for example in cmake/embed-player pc-player; do
  plays "example $example" "$scratch/${example%%/*}.wav" "$scratch/$example" "$build/fixtures/l3_mpeg1_cbr128_joint_v1.mp3" >/dev/null
done
demo=$(plays "installed cvmp3 play" "$scratch/demo.wav" "$root/usr/bin/cvmp3" play --output "$scratch/demo.wav" --fast)
grep -qxF "Demo track: $root/usr/share/corvanemp3/demo.mp3" <<<"$demo" || fail "cvmp3 did not play the installed demo track: $demo"

# The manual page renders without warnings and names every option cvmp3 knows.
manual=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/cvmp3.1.gz" 2>"$scratch/man.err")
[ ! -s "$scratch/man.err" ] && grep -q '^NAME' <<<"$manual" && grep -q CORVANEMP3_OUTPUT <<<"$manual" ||
  fail "man -l cvmp3.1.gz: warnings, or no NAME or CORVANEMP3_OUTPUT: $(cat "$scratch/man.err")"
for command in ${manual:+play info tag list}; do
  for option in $(LD_LIBRARY_PATH=$lib "$root/usr/bin/cvmp3" "$command" --help | grep -o -- '--[a-z]\+' | sort -u); do
    grep -q -- "$option" <<<"$manual" || fail "the manual page does not describe cvmp3 $command $option"
  done
done

[ "$failures" -eq 0 ] || { echo "test-deb: $failures failed (kept $scratch)"; exit 1; }
rm -rf "$scratch" && echo "test-deb: all passed"
