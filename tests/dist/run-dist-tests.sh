#!/usr/bin/env bash
# Tests each artifact of make dist the way its user uses it.
# Usage: run-dist-tests.sh DIST LINUX_BUILD WINDOWS_BUILD_PREFIX
set -uo pipefail
dist=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
windows=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
here=$(cd "$(dirname "$0")" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
failed=()
run() {  # name command...
  echo "== $1"
  "${@:2}" || failed+=("$1")
}
run "help file" "$here/test-help.sh" "$build/help" "$windows-x86_64"
run "Windows zip" "$here/test-zip.sh" "$dist/CorvaneMP3-$version-windows.zip" "$build"
for arch in i686 x86_64; do
  run "MSI ($arch)" "$here/test-msi.sh" "$arch" "$dist" "$version" "$windows-$arch" "$build"
done
run "Debian package" "$here/test-deb.sh" "$dist/corvanemp3_${version}_amd64.deb" "$build"
[ ${#failed[@]} -eq 0 ] || { printf 'dist tests FAILED: %s\n' "${failed[@]}"; exit 1; }
echo "dist tests: all passed"
