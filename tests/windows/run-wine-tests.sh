#!/usr/bin/env bash
# The Windows build's tests, one architecture at a time. Both images are
# inspected first (machine, exported names, imported DLLs); then, in a fresh
# Wine prefix inside the build folder (for i686 a private 32-bit Wine on
# qemu), the test programs of the layers run, the decoder library's C client
# resolves every entry point through __stdcall pointers and checks the
# Windows file rules, and the in-process server is registered, its type
# library compared with the table, driven by the scripts and the C++ client,
# and unregistered.
# Usage: run-wine-tests.sh ARCH WINDOWS_BUILD LINUX_BUILD
set -euo pipefail
arch=$1
build=$(cd "$2" && pwd)
linux=$(cd "$3" && pwd)
dll=$build/CorvaneMP3.dll
passed=0
failed=0

check() {  # name command...: one counted check
  local name=$1
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

exports_are_plain() {
  local names
  names=$(objdump -p "$dll" | awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /\[/ {print $NF} on && /^$/ {exit}' | sort)
  local expected
  expected=$(printf '%s\n' continue_playing create_eq eq_state fade_in fade_out get_frame_info get_id3_tag \
    get_status get_vis_info is_finished pause_playing play play_mp3 seek_playing set_eq set_gain set_id3_tag \
    set_vu_interval stop_playing | sort)
  [ "$names" = "$expected" ] || { echo "exports: $names"; return 1; }
}

imports_only_system_dlls() {
  local dlls
  dlls=$(objdump -p "$dll" | awk '/DLL Name:/ {print tolower($3)}' | sort -u)
  echo "$dlls"
  ! printf '%s\n' "$dlls" | grep -v -E '^(kernel32|user32|advapi32|ole32|oleaut32|shlwapi|winmm|setupapi|msvcrt|shell32|gdi32|api-ms-win-[a-z0-9-]+)\.dll$'
}

machine_is() { objdump -f "$dll" | grep -q "file format $1"; }

case "$arch" in
  i686) check "i686 library is a 32-bit image" machine_is pei-i386 ;;
  x86_64) check "x86_64 library is a 64-bit image" machine_is pei-x86-64 ;;
esac
check "exports are exactly the plain names" exports_are_plain
check "imports only system DLLs" imports_only_system_dlls

finish() {
  echo "windows tests ($arch): $passed passed, $failed failed${1:+ ($1)}"
  [ "$failed" -eq 0 ]
  exit
}

# x86_64 runs under the system's Wine; i686 under a private 32-bit Wine on
# qemu's user-mode emulation, made on demand (scripts/setup-win32-wine.sh).
if ! command -v wine >/dev/null 2>&1; then finish "wine is not installed: the Wine part is skipped"; fi
wine=wine
if [ "$arch" = i686 ]; then
  set +e
  wine=$("$(dirname "$0")/../../scripts/setup-win32-wine.sh")
  status=$?
  set -e
  [ $status -eq 3 ] && finish "the 32-bit Wine could not be downloaded: the Wine part is skipped"
  [ $status -eq 0 ] || { failed=$((failed + 1)); finish "the 32-bit Wine could not be set up"; }
  export WINEARCH=win32
else
  export WINEARCH=win64
fi
export WINEPREFIX=$build/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
# The prefix's wineserver keeps the registry in memory and writes it out when
# it ends. Ended and waited for before the prefix is made afresh or its
# settings change, no server can write over what a newer one wrote: a
# registration or its removal is never lost.
stop_wineserver() { wineserver -k >/dev/null 2>&1 || true; wineserver -w >/dev/null 2>&1 || true; }
stop_wineserver
rm -rf "$WINEPREFIX"
trap stop_wineserver EXIT
if ! "$wine" wineboot --init >/dev/null 2>&1; then finish "Wine cannot run on this machine: the Wine part is skipped"; fi

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
client=$build/decoder_client.exe
scratch=$build/wine-scratch
rm -rf "$scratch"
mkdir -p "$scratch"

# The test programs of the layers; the engine's read the fixtures and tones
# the Linux run made.
export CORVANE_FIXTURE_DIR=$(windows_path "$linux/fixtures") CORVANE_TONE_DIR=$(windows_path "$linux/test-tones")
for program in "$build"/test_*.exe; do
  check "$(basename "$program" .exe) under Wine" "$wine" "$program" --gtest_brief=1
done
check "all entry points resolve by name under Wine" "$wine" "$client" exports
check "Windows file rules: read-only, held open, a name outside ASCII" \
  "$wine" "$client" semantics "$(windows_path "$scratch")" "$(windows_path "$linux/fixtures/l3_mpeg1_cbr128_joint_v1.mp3")"

# The in-process server: registered with regsvr32, its type library read
# back against the table, the scripts and the C++ client, then unregistered.
ocx=$(windows_path "$build/CorvaneMP3.ocx")
server_client=$build/server_client.exe
scripts=$(cd "$(dirname "$0")/scripts" && pwd)
expected_typelib=$(cd "$(dirname "$0")" && pwd)/typelib.expected

# A missing key reads as nothing (Wine's reg prints its complaint on standard
# output, so whether a key is there is told by the exit status alone).
registry() { "$wine" reg query "$@" 2>/dev/null | tr -d '\r' || true; }
key_exists() { "$wine" reg query "$1" >/dev/null 2>&1; }
default_value() { registry "$1" | awk '/REG_SZ/ {print $NF}'; }
# The keys registration makes, found from the programmatic identifiers.
registered_keys() {
  player_class="HKCR\\CLSID\\$(default_value 'HKCR\CorvaneMP3.CVMP3Player\CLSID')"
  playlist_class="HKCR\\CLSID\\$(default_value 'HKCR\CorvaneMP3.CVMP3PlayList\CLSID')"
  library_key="HKCR\\TypeLib\\$(default_value "$player_class\\TypeLib")"
}

registers() {
  "$wine" regsvr32 /s "$ocx" || return 1
  registered_keys
  local facts
  facts=$(registry "$player_class" /s; registry "$playlist_class" /s; registry "$library_key" /s;
          registry 'HKCR\CorvaneMP3.CVMP3Player' /s; registry 'HKCR\CorvaneMP3.CVMP3PlayList' /s)
  for fact in 'ThreadingModel    REG_SZ    Apartment' "CorvaneMP3.ocx, 30001" "CorvaneMP3.ocx, 30000" \
              'MiscStatus\1' '132497' '\Control' 'ProgID' 'CorvaneMP3.CVMP3PlayList\CLSID' 'CorvaneMP3.CVMP3Player\CLSID' \
              '1.2' 'HELPDIR' "${library_key#HKCR\\TypeLib\\}"; do
    grep -qF "$fact" <<< "$facts" || { echo "missing: $fact"; printf '%s\n' "$facts"; return 1; }
  done
}

typelib_matches_table() {
  "$wine" "$server_client" typelib "$ocx" | tr -d '\r' > "$scratch/typelib.txt"
  diff "$expected_typelib" "$scratch/typelib.txt"
}

script_runs_clean() {  # a script prints FAIL lines for what failed and DONE at its end
  local output
  output=$(CORVANEMP3_OUTPUT=null "$wine" cscript //nologo "$(windows_path "$scripts/$1")" \
           "$(windows_path "$linux/fixtures")" "$(windows_path "$scratch")" 2>&1 | tr -d '\r')
  printf '%s\n' "$output"
  grep -q '^DONE with 0 failures' <<< "$output" && ! grep -q '^FAIL' <<< "$output"
}

unregisters() {
  "$wine" regsvr32 /s /u "$ocx" || return 1
  for key in "$player_class" "$playlist_class" "$library_key" 'HKCR\CorvaneMP3.CVMP3Player' 'HKCR\CorvaneMP3.CVMP3PlayList'; do
    if key_exists "$key"; then echo "still there: $key"; return 1; fi
  done
}

# Ordinary windows need a display: a virtual one, with the prefix drawing
# through X11 (the null driver remains for what has no window).
on_virtual_display() {
  "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f >/dev/null 2>&1 || return 1
  stop_wineserver  # the driver is chosen when a server starts
  xvfb-run -a -s "-screen 0 1024x768x24" "$@"
}

fixture=$(windows_path "$linux/fixtures/l3_mpeg1_cbr128_joint_v1.mp3")
check "regsvr32 registers both controls and the type library" registers
registered_keys
check "the type library reads back as the table" typelib_matches_table
for script in player.vbs playlist.vbs playlist.js; do
  check "$script drives the server" script_runs_clean "$script"
done
check "entry points, identities, connection points, threads and bad calls" \
  "$wine" "$server_client" protocol "$ocx" "$fixture"
check "both controls embed in a container: ambients, bag and stream, extent, drawing" \
  "$wine" "$server_client" container "$ocx" "$(windows_path "$scratch/saved.m3u")"
check "ATL's host window makes both controls by ProgID, activates them in place, and they paint their images" \
  on_virtual_display "$wine" "$server_client" atlhost "$fixture"
check "the player's About opens the dialog with its version, the link's two looks, and OK closes it" \
  on_virtual_display "$wine" "$server_client" about
check "events reach every connected sink: updates, and one end" \
  env CORVANEMP3_OUTPUT=null "$wine" "$server_client" events "$fixture"
check "regsvr32 /u removes every key" unregisters

finish
