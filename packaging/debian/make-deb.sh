#!/usr/bin/env bash
# Writes DIST/corvanemp3_VERSION_amd64.deb: what LINUX_BUILD installs, laid out
# under /usr, packed by CPack with the settings of cmake/CorvanePackage.cmake.
# LINUX_BUILD must be built; nothing is compiled here. The work folder is
# LINUX_BUILD/packaging/deb.
# Usage: packaging/debian/make-deb.sh VERSION LINUX_BUILD DIST
set -euo pipefail
fail() { echo "make-deb: $*" >&2; exit 1; }
[ $# -eq 3 ] || fail "usage: make-deb.sh VERSION LINUX_BUILD DIST"
version=$1
build=$(cd "$2" && pwd) || fail "no build folder $2"
dist=$3
here=$(cd "$(dirname "$0")" && pwd)
name=corvanemp3_${version}_amd64.deb

config=$build/CPackConfig.cmake
[ -f "$config" ] || fail "$config is missing: configure and build $build first"
grep -qx "set(CPACK_PACKAGE_VERSION \"$version\")" "$config" ||
  fail "$build is configured for another version than $version"
# The changelog in the package names the version it holds.
logged=$(dpkg-parsechangelog -l "$here/changelog" -S Version) || fail "cannot read $here/changelog"
[ "$logged" = "$version" ] || fail "$here/changelog begins with version $logged: add an entry for $version"

work=$build/packaging/deb
rm -rf "$work"
mkdir -p "$work" "$dist"
if ! cpack --config "$config" -G DEB -B "$work" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack failed (log above, kept in $work/cpack.log)"
fi
[ -f "$work/$name" ] || fail "cpack wrote no $name (see $work/cpack.log)"
cp "$work/$name" "$dist/.$name.part"
mv -f "$dist/.$name.part" "$dist/$name"
echo "make-deb: $dist/$name" >&2
