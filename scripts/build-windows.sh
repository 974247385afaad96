#!/usr/bin/env bash
# Cross-builds the Windows targets for one architecture into BUILD: the
# third-party libraries first (cached, see build-windows-deps.sh), then
# CorvaneMP3.dll, the server and the Windows test programs, and the
# registration the installer packages write (harvest-registration.sh).
# Usage: scripts/build-windows.sh i686|x86_64 BUILD
set -euo pipefail
arch=$1
build=$2
top=$(cd "$(dirname "$0")/.." && pwd)
deps=$("$top/scripts/build-windows-deps.sh" "$arch")
generator=$(command -v ninja >/dev/null 2>&1 && echo -GNinja || true)
cmake -S "$top" -B "$build" $generator -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-$arch.cmake" -DCORVANE_WINDOWS_DEPS="$deps" >/dev/null
cmake --build "$build" -j"$(nproc)"
# What the server registers, kept for the installer packages so that make dist
# does not wait for Wine; if Wine cannot run here, make dist tries again.
"$top/packaging/windows/harvest-registration.sh" "$arch" "$build" >/dev/null ||
  echo "build-windows: the server's registration is not harvested yet (make dist tries again)" >&2
