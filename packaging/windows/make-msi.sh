#!/usr/bin/env bash
# Makes the Windows installer package of one architecture with wixl:
# DIST/CorvaneMP3-VERSION-x86.msi (i686) or -x64.msi (x86_64). It installs the
# server, the decoder library, the type library, the help file, the licence
# and the notices into Program Files\CorvaneMP3, and registers the server
# through its own Registry table. Those rows are what the server's own
# DllRegisterServer writes: it is run once under Wine in a scratch prefix
# (the 32-bit Wine for i686), from the folder the package installs into, and
# what it added is kept in WINDOWS_BUILD/msi-registry, keyed by the checksum
# of the server and of the harvesting script: a rebuilt server is harvested
# again, an unchanged one not.
# Usage: packaging/windows/make-msi.sh VERSION ARCH(i686|x86_64) WINDOWS_BUILD HELPDIR DIST
set -euo pipefail
[ $# -eq 5 ] || { sed -n '2,12s/^# \{0,1\}//p' "$0" >&2; exit 2; }
version=$1 arch=$2 build=$3 help=$4 dist=$5
top=$(cd "$(dirname "$0")/../.." && pwd)
here=$top/packaging/windows
fail() { echo "make-msi: $*" >&2; exit 1; }

# Fixed for each architecture: a newer package replaces an older one.
case $arch in
  i686) suffix=x86 upgrade_code=036CE7FF-CB8F-45EC-B54A-D23AB8DF0B7C wixl_arch=x86 ;;
  x86_64) suffix=x64 upgrade_code=674836D9-C7E1-4C98-B135-E6AD9A88A927 wixl_arch=x64 ;;
  *) fail "unknown architecture '$arch' (i686 or x86_64)" ;;
esac
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "the version must be MAJOR.MINOR.PATCH, not '$version'"
[ -d "$build" ] || fail "no Windows build folder $build"
build=$(cd "$build" && pwd)
[ -d "$help" ] || fail "no help folder $help (packaging/help/build-help.sh makes it)"
help=$(cd "$help" && pwd)
files=("$build/CorvaneMP3.ocx" "$build/CorvaneMP3.dll" "$build/automation/CorvaneMP3.tlb" "$help/CorvaneSG3.chm"
       "$top/LICENSE" "$top/THIRD-PARTY-NOTICES.txt")
for file in "${files[@]}"; do
  [ -f "$file" ] || fail "missing $file (the help file comes from packaging/help/build-help.sh)"
done
command -v wixl >/dev/null || fail "wixl is not installed (scripts/install-deps.sh dist)"
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)

# The registration, harvested once per server.
cache=$build/msi-registry
harvest=$cache/$(cat "$build/CorvaneMP3.ocx" "$here/com-registry.py" | sha256sum | cut -c1-16).json
if [ ! -f "$harvest" ]; then
  echo "make-msi: harvesting the registration of the $arch server under Wine" >&2
  command -v wine >/dev/null || fail "wine is needed to harvest the registration"
  wine=wine
  export WINEARCH=win64
  if [ "$arch" = i686 ]; then
    wine=$("$top/scripts/setup-win32-wine.sh") || fail "the 32-bit Wine could not be set up"
    WINEARCH=win32
  fi
  export WINEPREFIX=$cache/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
  stop_wineserver() { wineserver -k >/dev/null 2>&1 || true; wineserver -w >/dev/null 2>&1 || true; }
  stop_wineserver
  rm -rf "$WINEPREFIX"
  mkdir -p "$cache"
  trap 'stop_wineserver; rm -rf "$WINEPREFIX"' EXIT
  "$wine" wineboot --init >/dev/null 2>&1 || fail "wineboot failed in $WINEPREFIX"
  folder=$WINEPREFIX/drive_c/Program\ Files/CorvaneMP3
  mkdir -p "$folder"
  cp "$build/CorvaneMP3.ocx" "$build/CorvaneMP3.dll" "$folder/"
  wineserver -w  # the registry is written out when the server ends
  cp "$WINEPREFIX/system.reg" "$cache/before.reg"
  "$wine" regsvr32 /s 'C:\Program Files\CorvaneMP3\CorvaneMP3.ocx' || fail "regsvr32 could not register the $arch server"
  wineserver -w
  "$here/com-registry.py" harvest "$cache/before.reg" "$WINEPREFIX/system.reg" 'C:\Program Files\CorvaneMP3' \
    > "$harvest.tmp"
  rm -f "$cache"/*.json  # what older servers registered
  mv "$harvest.tmp" "$harvest"
  stop_wineserver
  rm -rf "$WINEPREFIX" "$cache/before.reg"
  trap - EXIT
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/make-msi.XXXXXX")
trap 'rm -rf "$work"' EXIT
ln -s "${files[@]}" "$work/"  # wixl takes the sources by relative name
"$here/com-registry.py" wxs "$arch" "$version" "$upgrade_code" "$harvest" "${files[@]}" > "$work/CorvaneMP3.wxs"
package=$dist/CorvaneMP3-$version-$suffix.msi
(cd "$work" && wixl -a "$wixl_arch" -o package.msi CorvaneMP3.wxs 2> wixl.log) || {
  cat "$work/wixl.log" >&2; fail "wixl could not build the package"; }
# wixl reports what it ignored as warnings: any is a package not as written.
if [ -s "$work/wixl.log" ]; then cat "$work/wixl.log" >&2; fail "wixl warned about the package source"; fi
mv "$work/package.msi" "$package"
echo "make-msi: $package" >&2
