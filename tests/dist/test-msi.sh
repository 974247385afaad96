#!/usr/bin/env bash
# The installer package of one architecture in a fresh Wine prefix (i686 on the
# private 32-bit Wine): installed, its files in place, both controls made by
# ProgID and a file played; uninstalled leaving no file or key; its registration
# the same, key by key and value by value, as regsvr32's of the same file.
# Usage: tests/dist/test-msi.sh ARCH DIST VERSION WINDOWS_BUILD LINUX_BUILD
set -euo pipefail
arch=$1 dist=$(cd "$2" && pwd) version=$3 build=$(cd "$4" && pwd) linux=$(cd "$5" && pwd)
here=$(cd "$(dirname "$0")" && pwd) top=$(cd "$(dirname "$0")/../.." && pwd)
wine=wine suffix=x64 WINEARCH=win64
if [ "$arch" = i686 ]; then wine=$("$top/scripts/setup-win32-wine.sh") suffix=x86 WINEARCH=win32 || exit 1; fi
package=$dist/CorvaneMP3-$version-$suffix.msi scratch=$build/msi-test
export WINEARCH WINEPREFIX=$scratch/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY= CORVANEMP3_OUTPUT=null
stop_wineserver() { wineserver -k >/dev/null 2>&1 || true; wineserver -w >/dev/null 2>&1 || true; }
stop_wineserver && rm -rf "$scratch" && mkdir -p "$scratch"
trap stop_wineserver EXIT
"$wine" wineboot --init >/dev/null 2>&1 || { echo "FAILED: wineboot cannot make a prefix"; exit 1; }
failed=0
check() {  # what, then a command that prints what is wrong and fails
  if output=$("${@:2}" 2>&1); then echo "ok: $1"; else echo "FAILED: $1"; printf '%s\n' "$output" | head -60; failed=1; fi
}
# The machine's registry as written out when the server ends: a line per key and per value.
snapshot() {
  wineserver -w
  awk '/^\[/ {key = $0; sub(/\] [0-9]+$/, "]", key); print key; next} /^(#|$)/ {next} {print key " " $0}' \
    "$WINEPREFIX/system.reg" | sort > "$scratch/$1"
}
# What registration added below the classes root (the installer's records of products kept out).
classes_added() { comm -13 "$scratch/before" "$scratch/$1" | grep -F '[Software\\Classes\\' | grep -vF 'Classes\\Installer\\' || true; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }
folder=$WINEPREFIX/drive_c/Program\ Files/CorvaneMP3
installed_files() {
  for file in "$build"/CorvaneMP3.{ocx,dll} "$build/automation/CorvaneMP3.tlb" "$top/LICENSE" "$top/THIRD-PARTY-NOTICES.txt"; do
    cmp "$file" "$folder/$(basename "$file")" || return 1
  done
  [ -s "$folder/CorvaneSG3.chm" ] && [ "$(ls "$folder" | wc -l)" -eq 6 ] || { ls -l "$folder"; return 1; }
}
plays() {
  output=$("$wine" cscript //nologo "$vbs" "$(winpath "$linux")\\fixtures\\l3_mpeg1_cbr128_joint_v1.mp3" 2>&1 | tr -d '\r')
  printf '%s\n' "$output"
  grep -q '^DONE with 0 failures' <<< "$output" && ! grep -q '^FAIL' <<< "$output"
}
# Left behind: changes to classes, installer records or naming us (Wine keeps the empty top keys).
left_over() {
  changes=$(diff "$scratch/before" "$scratch/removed" | grep -i -e 'Classes\\\\' -e 'Installer\\\\' -e 'Uninstall\\\\' -e corvane |
            grep -v -E '^> \[.*\\(Features|Products|UpgradeCodes|Components)\]$' || true)
  [ -z "$changes" ] && [ ! -e "$folder" ] || { printf '%s\n' "$changes"; ls -R "$folder" 2>&1; return 1; }
}
same_as_regsvr32() { diff <(classes_added installed) <(classes_added registered); }

[ -f "$package" ] || { echo "FAILED: no package $package"; exit 1; }
vbs="$(winpath "$here")\\msi-play.vbs"
"$wine" cscript //nologo "$vbs" >/dev/null 2>&1 || true  # the script host registers its type library once
snapshot before
check "msiexec installs $(basename "$package")" "$wine" msiexec /i "$(winpath "$package")" /qn
snapshot installed
check "the files are in Program Files\\CorvaneMP3" installed_files
check "a script makes both controls by ProgID and plays a file" plays
check "msiexec removes the package" "$wine" msiexec /x "$(winpath "$package")" /qn
snapshot removed
check "no file and no key of the package is left" left_over
mkdir -p "$folder" && cp "$build/CorvaneMP3.ocx" "$build/CorvaneMP3.dll" "$folder/"
check "regsvr32 registers the same server at the same path" "$wine" regsvr32 /s 'C:\Program Files\CorvaneMP3\CorvaneMP3.ocx'
snapshot registered
check "the package registers exactly what regsvr32 does" same_as_regsvr32
[ "$(classes_added installed | wc -l)" -gt 50 ] || { echo "FAILED: the package registered hardly anything"; failed=1; }
stop_wineserver
[ $failed -ne 0 ] || rm -rf "$scratch"  # the prefix is kept to look into when something failed
exit $failed
