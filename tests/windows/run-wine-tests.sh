#!/usr/bin/env bash
# The Windows build's tests, one architecture at a time: both images' machine,
# exports and imports; then, under Wine in a fresh prefix in the build folder
# (i686 on a private 32-bit Wine under qemu), the layers' test programs, the
# decoder library's C client, and the in-process server registered, read
# back, driven by scripts and the C++ client, and unregistered.
# Usage: run-wine-tests.sh ARCH WINDOWS_BUILD LINUX_BUILD
set -euo pipefail
arch=$1
build=$(cd "$2" && pwd)
linux=$(cd "$3" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
passed=0
failed=0

check() {  # name command...: one counted check
  local name=$1 output
  shift
  if output=$("$@" 2>&1); then
    passed=$((passed + 1))
    echo "ok: $name"
  else
    failed=$((failed + 1))
    echo "FAILED: $name"
    printf '%s\n' "$output" | head -40
  fi
}
finish() {
  echo "windows tests ($arch): $passed passed, $failed failed${1:+ ($1)}"
  [ "$failed" -eq 0 ]
  exit
}

image_is() {  # FILE FORMAT EXPORT...: the machine, exactly these exports, only system DLLs imported
  local file=$1 format=$2 exports dlls
  shift 2
  objdump -f "$file" | grep -q "file format $format" || { echo "not $format"; return 1; }
  exports=$(objdump -p "$file" | awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /\[/ {print $NF} on && /^$/ {exit}' | sort)
  [ "$exports" = "$(printf '%s\n' "$@" | sort)" ] || { echo "exports: $exports"; return 1; }
  dlls=$(objdump -p "$file" | awk '/DLL Name:/ {print tolower($3)}' | sort -u)
  ! printf '%s\n' "$dlls" | grep -v -E '^(kernel32|user32|advapi32|ole32|oleaut32|shlwapi|winmm|setupapi|msvcrt|shell32|gdi32|api-ms-win-[a-z0-9-]+)\.dll$'
}
format=pei-x86-64
[ "$arch" = i686 ] && format=pei-i386
check "CorvaneMP3.dll: $format, the plain entry points, system DLLs only" image_is "$build/CorvaneMP3.dll" $format \
  continue_playing create_eq eq_state fade_in fade_out get_frame_info get_id3_tag get_status get_vis_info is_finished \
  pause_playing play play_mp3 seek_playing set_eq set_gain set_id3_tag set_vu_interval stop_playing
check "CorvaneMP3.ocx: $format, the server's entry points, system DLLs only" image_is "$build/CorvaneMP3.ocx" $format \
  DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer

if ! command -v wine >/dev/null 2>&1; then finish "wine is not installed: the Wine part is skipped"; fi
wine=wine
export WINEARCH=win64
if [ "$arch" = i686 ]; then
  set +e
  wine=$("$here/../../scripts/setup-win32-wine.sh")
  status=$?
  set -e
  [ $status -eq 3 ] && finish "the 32-bit Wine could not be downloaded: the Wine part is skipped"
  [ $status -eq 0 ] || { failed=$((failed + 1)); finish "the 32-bit Wine could not be set up"; }
  WINEARCH=win32
fi
export WINEPREFIX=$build/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
# The prefix's wineserver writes the registry out when it ends: ended and
# waited for before the prefix is remade or its settings change, no server
# writes over what a newer one wrote.
stop_wineserver() { wineserver -k >/dev/null 2>&1 || true; wineserver -w >/dev/null 2>&1 || true; }
stop_wineserver
rm -rf "$WINEPREFIX"
trap stop_wineserver EXIT
if ! "$wine" wineboot --init >/dev/null 2>&1; then finish "Wine cannot run on this machine: the Wine part is skipped"; fi

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
scratch=$build/wine-scratch
rm -rf "$scratch"
mkdir -p "$scratch"
fixture=$(windows_path "$linux/fixtures/l3_mpeg1_cbr128_joint_v1.mp3")
ocx=$(windows_path "$build/CorvaneMP3.ocx")
client=$build/server_client.exe

export CORVANE_FIXTURE_DIR=$(windows_path "$linux/fixtures") CORVANE_TONE_DIR=$(windows_path "$linux/test-tones")
for program in "$build"/test_*.exe; do
  check "$(basename "$program" .exe) under Wine" "$wine" "$program" --gtest_brief=1
done
check "the DLL's entry points resolve by name; read-only, held-open and non-ASCII files" \
  "$wine" "$build/decoder_client.exe" "$(windows_path "$scratch")" "$fixture"

# A missing key is told by reg's exit status (it prints its complaint on standard output).
registry() { "$wine" reg query "$@" 2>/dev/null | tr -d '\r' || true; }
default_value() { registry "$1" | awk '/REG_SZ/ {print $NF}'; }
registered_keys() {  # the keys registration makes, found from the programmatic identifiers
  player_class="HKCR\\CLSID\\$(default_value 'HKCR\CorvaneMP3.CVMP3Player\CLSID')"
  playlist_class="HKCR\\CLSID\\$(default_value 'HKCR\CorvaneMP3.CVMP3PlayList\CLSID')"
  library_key="HKCR\\TypeLib\\$(default_value "$player_class\\TypeLib")"
  keys=("$player_class" "$playlist_class" "$library_key" 'HKCR\CorvaneMP3.CVMP3Player' 'HKCR\CorvaneMP3.CVMP3PlayList')
}
registers() {
  "$wine" regsvr32 /s "$ocx" || return 1
  registered_keys
  local facts
  facts=$(for key in "${keys[@]}"; do registry "$key" /s; done)
  for fact in 'ThreadingModel    REG_SZ    Apartment' "CorvaneMP3.ocx, 30001" "CorvaneMP3.ocx, 30000" 'MiscStatus\1' \
              '132497' '\Control' 'ProgID' 'CorvaneMP3.CVMP3PlayList\CLSID' 'CorvaneMP3.CVMP3Player\CLSID' '1.2' 'HELPDIR' \
              "${library_key#HKCR\\TypeLib\\}"; do
    grep -qF "$fact" <<< "$facts" || { echo "missing: $fact"; printf '%s\n' "$facts"; return 1; }
  done
}
unregisters() {
  "$wine" regsvr32 /s /u "$ocx" || return 1
  for key in "${keys[@]}"; do
    if "$wine" reg query "$key" >/dev/null 2>&1; then echo "still there: $key"; return 1; fi
  done
}
typelib_matches() { diff "$here/typelib.expected" <("$wine" "$client" typelib "$ocx" | tr -d '\r'); }
script_runs_clean() {  # a script prints FAIL lines for what failed and DONE at its end
  local output
  output=$("$wine" cscript //nologo "$(windows_path "$here/scripts/$1")" "$(windows_path "$linux/fixtures")" \
           "$(windows_path "$scratch")" 2>&1 | tr -d '\r')
  printf '%s\n' "$output"
  grep -q '^DONE with 0 failures' <<< "$output" && ! grep -q '^FAIL' <<< "$output"
}
# Ordinary windows need a display: a virtual one, the prefix drawing through X11.
on_virtual_display() {
  "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f >/dev/null 2>&1 || return 1
  stop_wineserver  # the driver is chosen when a server starts
  xvfb-run -a -s "-screen 0 1024x768x24" "$@"
}

export CORVANEMP3_OUTPUT=null
check "regsvr32 registers both controls and the type library" registers
registered_keys
check "the type library reads back as the table" typelib_matches
check "dispatch.vbs drives the server" script_runs_clean dispatch.vbs
check "dispatch.js drives the server" script_runs_clean dispatch.js
check "entry points, interfaces, connection points, IDispatch, the enumerator, threads" "$wine" "$client" protocol "$ocx" "$fixture"
check "events reach every connected sink" "$wine" "$client" events "$fixture"
check "both controls in a container: ambients, bag and stream, extent, drawing" \
  "$wine" "$client" container "$ocx" "$(windows_path "$scratch/saved.m3u")"
check "ATL's host window makes both controls by ProgID and they paint in place" on_virtual_display "$wine" "$client" atlhost
check "the player's About opens the dialog: version, the link's two looks, OK" on_virtual_display "$wine" "$client" about
check "regsvr32 /u removes every key" unregisters
finish
