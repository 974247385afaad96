#!/usr/bin/env bash
# Cross-builds the third-party libraries of the Windows build (libmpg123,
# PortAudio with the WinMM host API, kissfft and GoogleTest) as static
# libraries from Debian's own sources, into a cache folder outside the build
# tree keyed by architecture and source versions. A second run finds them and
# only prints the prefix. The system's apt state is left alone: the sources
# come through a private apt configuration under the cache folder.
# Usage: scripts/build-windows-deps.sh i686|x86_64   (prints the prefix)
set -euo pipefail

arch=${1:?usage: build-windows-deps.sh i686|x86_64}
case "$arch" in i686|x86_64) ;; *) echo "build-windows-deps: unknown architecture '$arch'" >&2; exit 2 ;; esac
triple=$arch-w64-mingw32
top=$(cd "$(dirname "$0")/.." && pwd)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/corvanemp3
jobs=$(nproc)

# The key changes with the sources' versions and with this script.
versions() { dpkg-query -W -f='${source:Package}_${source:Version} ' libmpg123-dev portaudio19-dev libkissfft-dev googletest; }
key=$( (versions; cat "$0") | md5sum | cut -c1-12)
prefix=$cache/windows-$arch-$key
if [ -f "$prefix/.complete" ]; then echo "$prefix"; exit 0; fi

log() { echo "build-windows-deps ($arch): $*" >&2; }

# Debian's source packages, fetched once for every architecture.
fetch_sources() {
  local apt=$cache/apt-sources
  local opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
              -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o APT::Sandbox::User=root)
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/src"
  if [ ! -f "$apt/src/.fetched-$key" ]; then
    # From the mirrors the machine's own apt configuration names.
    local mirror security
    mirror=$("$top/scripts/debian-mirror.sh")
    security=$("$top/scripts/debian-mirror.sh" security)
    printf 'deb-src %s %s main\n' "$mirror" bookworm "$mirror" bookworm-updates "$security" bookworm-security \
      > "$apt/sources.list"
    log "fetching Debian sources"
    apt-get -qq "${opts[@]}" update >&2
    # A missing signature file makes apt-get fail after the tarballs arrived;
    # the checks below look for the tarballs themselves.
    (cd "$apt/src" && apt-get -qq "${opts[@]}" source --download-only mpg123 portaudio19 kissfft >&2) || true
    for pattern in 'mpg123_*.orig.tar.*' 'portaudio19_*.orig.tar.*' 'kissfft_*.orig.tar.*'; do
      compgen -G "$apt/src/$pattern" >/dev/null || { log "could not fetch $pattern"; exit 1; }
    done
    touch "$apt/src/.fetched-$key"
  fi
  echo "$apt/src"
}

unpack() {  # tarball-pattern destination
  rm -rf "$2"; mkdir -p "$2"
  tar -xf $1 -C "$2" --strip-components=1
}

cmake_build() {  # source build extra-options...
  local source=$1 build=$2; shift 2
  cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-$arch.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >&2
  cmake --build "$build" -j"$jobs" >&2
}

src=$(fetch_sources)
work=$cache/work-$arch
rm -rf "$work" "$cache/windows-$arch-"*  # builds of other versions are of no more use
mkdir -p "$work" "$prefix/include" "$prefix/lib"

log "libmpg123"
cpu=$([ "$arch" = x86_64 ] && echo x86-64 || echo x86)  # the optimised decoders, chosen at run time
unpack "$src/mpg123_*.orig.tar.*" "$work/mpg123"
(cd "$work/mpg123" && ./configure --quiet --host="$triple" --prefix="$prefix" CC="$triple-gcc-posix" \
   --enable-static --disable-shared --disable-modules --with-audio=dummy --with-cpu="$cpu" >&2 &&
 make -j"$jobs" >&2 && make install >&2)

log "PortAudio (WinMM)"
unpack "$src/portaudio19_*.orig.tar.*" "$work/portaudio"
cmake_build "$work/portaudio" "$work/portaudio/build" -DPA_USE_WMME=ON -DPA_USE_WASAPI=OFF -DPA_USE_DS=OFF \
  -DPA_USE_WDMKS=OFF -DPA_USE_WDMKS_DEVICE_INFO=OFF -DPA_USE_ASIO=OFF -DPA_BUILD_SHARED=OFF -DPA_BUILD_STATIC=ON
# 19.6 builds the static library but does not install it.
cp "$work/portaudio/build/libportaudio_static.a" "$prefix/lib/libportaudio.a"
cp "$work/portaudio/include/portaudio.h" "$prefix/include/"

log "kissfft"
unpack "$src/kissfft_*.orig.tar.*" "$work/kissfft"
cmake_build "$work/kissfft" "$work/kissfft/build" -DKISSFFT_DATATYPE=float -DKISSFFT_STATIC=ON \
  -DKISSFFT_TEST=OFF -DKISSFFT_TOOLS=OFF -DKISSFFT_PKGCONFIG=OFF -DKISSFFT_OPENMP=OFF
cmake --install "$work/kissfft/build" >&2
mkdir -p "$prefix/include/kissfft"
cp "$work"/kissfft/kiss_fft*.h "$prefix/include/kissfft/"

log "GoogleTest"
cmake_build /usr/src/googletest "$work/googletest" -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF
cmake --install "$work/googletest" >&2

rm -rf "$work"
touch "$prefix/.complete"
log "done"
echo "$prefix"
