#!/usr/bin/env bash
# Writes what users install into DIST, every name carrying the project's
# version: the help file (built first, the zip carries it), the Windows zip
# with both architectures and the SDK, an MSI per architecture, and the
# Debian package.
# Usage: scripts/make-dist.sh LINUX_BUILD WINDOWS_BUILD_PREFIX DIST
#   (the Windows builds are WINDOWS_BUILD_PREFIX-i686 and -x86_64)
set -euo pipefail
build=$(cd "$1" && pwd)
windows=$2
dist=$3
top=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "make-dist: no project version in $build/CMakeCache.txt" >&2; exit 1; }
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
windows=$(cd "$(dirname "$windows")" && pwd)/$(basename "$windows")

step() { echo "make-dist: $*" >&2; }
step "help file and HTML reference"
"$top/packaging/help/build-help.sh" "$build/help"
step "Windows zip"
"$top/packaging/windows/make-zip.sh" "$version" "$windows-i686" "$windows-x86_64" "$build/help" "$dist"
for arch in i686 x86_64; do
  step "MSI ($arch)"
  "$top/packaging/windows/make-msi.sh" "$version" "$arch" "$windows-$arch" "$build/help" "$dist"
done
step "Debian package"
"$top/packaging/debian/make-deb.sh" "$version" "$build" "$dist"
ls -l "$dist" >&2
