#!/usr/bin/env bash
# Makes DIST/CorvaneMP3-VERSION-windows.zip, the Windows files and the SDK,
# under one top folder CorvaneMP3-VERSION/:
#   x86/ x64/        CorvaneMP3.ocx, CorvaneMP3.dll, CorvaneMP3.tlb of the
#                    i686 and x86_64 builds
#   include/         the decoder library's C header; the automation
#                    interfaces' C/C++ header and their GUID definitions,
#                    compiled by widl from automation/CorvaneMP3.idl
#   lib/x86 lib/x64  the MinGW import library of CorvaneMP3.dll and a .def
#                    from which MSVC's lib makes one
#   examples/        examples/windows
#   reference/       the help file's pages as a browsable HTML reference
#   CorvaneSG3.chm, README.txt, LICENSE, THIRD-PARTY-NOTICES.txt
# The zip is written under a temporary name and then moved into place.
#
# Usage: packaging/windows/make-zip.sh VERSION I686_BUILD X86_64_BUILD HELPDIR DIST
set -euo pipefail

fail() { echo "make-zip: $*" >&2; exit 1; }
[ $# -eq 5 ] || fail "usage: make-zip.sh VERSION I686_BUILD X86_64_BUILD HELPDIR DIST"
version=$1
help=$4
top=$(cd "$(dirname "$0")/../.." && pwd)
declare -A build=([x86]=$2 [x64]=$3)
declare -A format=([x86]=pei-i386 [x64]=pei-x86-64)
[[ $version =~ ^[0-9]+(\.[0-9]+)*$ ]] || fail "'$version' is not a version number"
for tool in zip objdump i686-w64-mingw32-gcc i686-w64-mingw32-nm i686-w64-mingw32-dlltool; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps.sh core windows dist)"
done
[ -f "$help/CorvaneSG3.chm" ] && [ -f "$help/html/index.html" ] ||
  fail "no help file $help/CorvaneSG3.chm or reference $help/html (packaging/help/build-help.sh makes them)"

# The entry points the DLL must export, from the library's own .def.
mapfile -t entry_points < <(awk '/^EXPORTS/ {on = 1; next} on && NF && $1 !~ /^;/ {print $1}' \
  "$top/engine/api/win32/CorvaneMP3.def")
[ ${#entry_points[@]} -gt 0 ] || fail "no entry points in engine/api/win32/CorvaneMP3.def"
exports_of() {
  objdump -p "$1" | awk '/\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && /\[/ {print $NF} on && /^$/ {exit}' | sort
}

# Each build: its files there, of its machine, the DLL exporting exactly the
# entry points; a folder given for the wrong architecture stops here.
for arch in x86 x64; do
  dir=${build[$arch]}
  [ -d "$dir" ] || fail "no build folder $dir"
  for file in CorvaneMP3.ocx CorvaneMP3.dll automation/CorvaneMP3.tlb automation/CorvaneMP3TypeLibrary.h; do
    [ -f "$dir/$file" ] || fail "$dir has no $file: build it first (make windows)"
  done
  for file in CorvaneMP3.ocx CorvaneMP3.dll; do
    objdump -f "$dir/$file" | grep -q "file format ${format[$arch]}\$" ||
      fail "$dir/$file is not a ${format[$arch]} image: is $dir the $arch build?"
  done
  [ "$(exports_of "$dir/CorvaneMP3.dll")" = "$(printf '%s\n' "${entry_points[@]}" | sort)" ] ||
    fail "$dir/CorvaneMP3.dll does not export exactly the entry points of engine/api/win32/CorvaneMP3.def"
done
[ -f "${build[x64]}/libCorvaneMP3.dll.a" ] || fail "${build[x64]} has no libCorvaneMP3.dll.a"

mkdir -p "$5"
dist=$(cd "$5" && pwd)
zip_file=$dist/CorvaneMP3-$version-windows.zip
work=$(mktemp -d "$dist/.make-zip.XXXXXX")
trap 'rm -rf "$work"' EXIT
root=$work/CorvaneMP3-$version
mkdir -p "$root"/{x86,x64,include,lib/x86,lib/x64,examples}

for arch in x86 x64; do
  cp "${build[$arch]}"/CorvaneMP3.{ocx,dll} "${build[$arch]}/automation/CorvaneMP3.tlb" "$root/$arch/"
done

# include/: the C header with the headers it includes by quoted name.
cp "$top/decoder/CorvaneMP3.h" "$root/include/"
for header in $(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$top/decoder/CorvaneMP3.h"); do
  [ -f "$top/decoder/$header" ] || fail "decoder/CorvaneMP3.h includes $header, which is not in decoder/"
  cp "$top/decoder/$header" "$root/include/"
done

# The automation header and the GUID definitions, by the build's widl with
# the build's options (run from the top so that the files name the IDL by its
# path in the source tree). The header must be the one the servers were
# compiled with.
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "${build[x86]}/CMakeCache.txt" 2>/dev/null; }
widl=$(cache_value CORVANE_WIDL)
idl_include=$(cache_value CORVANE_WINE_IDL_INCLUDE)
stdole=$(cache_value CORVANE_STDOLE_FOLDER)
widl=${widl:-i686-w64-mingw32-widl}
(cd "$top" && "$widl" --win32 -I"${idl_include:-/usr/include/wine/wine/windows}" \
  -L"${stdole:-/usr/lib/x86_64-linux-gnu/wine/x86_64-windows}" \
  -h -H "$root/include/CorvaneMP3TypeLibrary.h" -u -U "$root/include/CorvaneMP3TypeLibrary_i.c" \
  automation/CorvaneMP3.idl) || fail "widl could not compile automation/CorvaneMP3.idl"
for arch in x86 x64; do
  cmp -s <(tail -n +2 "$root/include/CorvaneMP3TypeLibrary.h") \
         <(tail -n +2 "${build[$arch]}/automation/CorvaneMP3TypeLibrary.h") ||
    fail "${build[$arch]} was built from another automation/CorvaneMP3.idl: rebuild it (make windows)"
done

# lib/x86: the DLL exports its __stdcall entry points undecorated (play); a
# 32-bit caller compiled against the header links the decorated names
# (_play@4). The .def lists the decorated names, read from what the compiler
# makes of the header's declarations; the import library made from it links
# those and imports the plain names.
{
  echo '#include "CorvaneMP3.h"'
  echo 'void *const entry_points[] = {'
  printf '    (void *)%s,\n' "${entry_points[@]}"
  echo '};'
} > "$work/entry-points.c"
i686-w64-mingw32-gcc -c -I "$root/include" -o "$work/entry-points.o" "$work/entry-points.c" ||
  fail "the entry points of engine/api/win32/CorvaneMP3.def do not compile against decoder/CorvaneMP3.h"
mapfile -t decorated < <(i686-w64-mingw32-nm -u "$work/entry-points.o" | sed -n 's/^ *U _\([a-z_0-9]*@[0-9]*\)$/\1/p')
[ ${#decorated[@]} -eq ${#entry_points[@]} ] ||
  fail "decoder/CorvaneMP3.h does not declare every entry point __stdcall: ${decorated[*]}"
write_def() {  # ARCH NAME...: lib/ARCH/CorvaneMP3.def, with how to use it
  local arch=$1
  shift
  {
    echo "; CorvaneMP3.dll, $arch: its entry points, for making an import library."
    echo ";   MSVC:  lib /def:CorvaneMP3.def /machine:$arch /out:CorvaneMP3.lib"
    [ "$arch" = x64 ] || cat <<'EOF'
; The DLL exports the __stdcall functions under their plain names (play);
; the names here carry the decoration a 32-bit program compiled against
; CorvaneMP3.h links to (play@4, the symbol _play@4), and the import library
; made from them imports the plain names.
;   MinGW: dlltool --input-def CorvaneMP3.def --dllname CorvaneMP3.dll
;          --output-lib libCorvaneMP3.dll.a --kill-at
EOF
    echo "LIBRARY CorvaneMP3.dll"
    echo "EXPORTS"
    printf '    %s\n' "$@"
  } > "$root/lib/$arch/CorvaneMP3.def"
}
write_def x86 "${decorated[@]}"
write_def x64 "${entry_points[@]}"
i686-w64-mingw32-dlltool --input-def "$root/lib/x86/CorvaneMP3.def" --dllname CorvaneMP3.dll \
  --output-lib "$root/lib/x86/libCorvaneMP3.dll.a" --kill-at || fail "dlltool could not make the x86 import library"
cp "${build[x64]}/libCorvaneMP3.dll.a" "$root/lib/x64/"

cp "$top"/examples/windows/* "$root/examples/"
cp -r "$help/html" "$root/reference"
cp "$help/CorvaneSG3.chm" "$top/packaging/windows/README.txt" "$top/LICENSE" "$top/THIRD-PARTY-NOTICES.txt" "$root/"

# Stored in name order, so that the same files make the same listing.
(cd "$work" && find "CorvaneMP3-$version" | LC_ALL=C sort | zip -q -X -@ "$(basename "$zip_file")") || fail "zip failed"
mv -f "$work/$(basename "$zip_file")" "$zip_file"
echo "make-zip: $zip_file" >&2
