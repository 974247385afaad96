#!/usr/bin/env bash
# Finds what the server of a Windows build writes into the registry when it
# registers itself, for the installer packages (make-msi.sh). The server's own
# DllRegisterServer is run by regsvr32 under Wine (the private 32-bit Wine for
# i686) in a scratch prefix, from the folder the packages install into; what it
# added below the classes root is kept in WINDOWS_BUILD/msi-registry, keyed by
# the checksum of the server and of the harvesting script, so a rebuilt server
# is harvested again and an unchanged one is not.
# Usage: packaging/windows/harvest-registration.sh i686|x86_64 WINDOWS_BUILD
#   (prints the kept harvest's path)
set -euo pipefail
[ $# -eq 2 ] || { sed -n '2,10s/^# \{0,1\}//p' "$0" >&2; exit 2; }
arch=$1
top=$(cd "$(dirname "$0")/../.." && pwd)
here=$top/packaging/windows
fail() { echo "harvest-registration: $*" >&2; exit 1; }
case $arch in i686 | x86_64) ;; *) fail "unknown architecture '$arch' (i686 or x86_64)" ;; esac
[ -f "$2/CorvaneMP3.ocx" ] && [ -f "$2/CorvaneMP3.dll" ] || fail "no CorvaneMP3.ocx and CorvaneMP3.dll in $2"
build=$(cd "$2" && pwd)
cache=$build/msi-registry
harvest=$cache/$(cat "$build/CorvaneMP3.ocx" "$here/com-registry.py" | sha256sum | cut -c1-16).json
[ -f "$harvest" ] && { echo "$harvest"; exit 0; }

echo "harvest-registration: registering the $arch server under Wine" >&2
command -v wine >/dev/null || fail "wine is needed (scripts/install-deps.sh windows)"
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
trap 'stop_wineserver; rm -rf "$WINEPREFIX" "$cache/before.reg" "$harvest.tmp"' EXIT
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
echo "$harvest"
