#!/usr/bin/env bash
# Builds the help file CorvaneSG3.chm (the file the type library names, with
# a context map made from the IDL's help contexts) and the browsable HTML
# reference from the pages in docs/reference/.
# Usage: packaging/help/build-help.sh OUTDIR
#   -> OUTDIR/CorvaneSG3.chm and OUTDIR/html/ (index.html and one page per topic)
#
# chmcmd records each mapped topic with the project file's folder in front of
# it, so a viewer finds the topic only when the project lies at the root of
# the file system chmcmd sees: it runs in a throw-away chroot folder holding
# only itself, the libraries it loads and the project (as root; otherwise in
# a user namespace of its own).
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 OUTDIR" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "build-help: $*" >&2; exit 1; }
python=/usr/bin/python3   # Debian's, which has python3-markdown
if ! "$python" -c 'import markdown' 2>/dev/null; then
  fail "needs Debian's python3 with python3-markdown (scripts/install-deps.sh dist)"
fi
chmcmd=$(command -v chmcmd) || fail "chmcmd is not installed (package fp-utils: scripts/install-deps.sh dist)"
chmcmd=$(readlink -f "$chmcmd")
command -v extract_chmLib >/dev/null || fail "extract_chmLib is not installed (package libchm-bin: scripts/install-deps.sh dist)"
if [ "$(id -u)" -eq 0 ]; then in_root=(chroot); else in_root=(unshare --map-root-user chroot); fi

mkdir -p "$1"
out=$(cd "$1" && pwd)
work=$(mktemp -d "$out/.help-build.XXXXXX")
trap 'rm -rf "$work"' EXIT
root=$work/root

"$python" "$here/make_help.py" "$root" "$work/html" || fail "the pages or the IDL are not right (see above)"

# The compiler and what it loads: the libraries ldd names, and libpthread,
# which its runtime opens by name.
mkdir -p "$root/bin"
cp "$chmcmd" "$root/bin/chmcmd"
libs=$(ldd "$chmcmd" | grep -o '/[^ ]*' || true)
libc=$(printf '%s\n' "$libs" | grep '/libc\.so' || true)
[ -n "$libc" ] || fail "ldd names no libc for $chmcmd"
for lib in $libs "$(dirname "$libc")/libpthread.so.0"; do
  [ -e "$lib" ] || continue
  mkdir -p "$root$(dirname "$lib")"
  cp -L "$lib" "$root$lib"
done

log=$work/chmcmd.log
if ! (cd "$root" && "${in_root[@]}" "$root" /bin/chmcmd --no-html-scan /CorvaneSG3.hhp) >"$log" 2>&1; then
  cat "$log" >&2
  fail "chmcmd failed"
fi
if grep -qi 'error' "$log"; then cat "$log" >&2; fail "chmcmd reported an error"; fi
[ -s "$root/CorvaneSG3.chm" ] || { cat "$log" >&2; fail "chmcmd wrote no CorvaneSG3.chm"; }

# What a viewer will use: the compiled file's own context map.
extract_chmLib "$root/CorvaneSG3.chm" "$work/unpacked" >/dev/null || fail "cannot unpack the compiled help file"
"$python" "$here/make_help.py" --verify "$work/unpacked" "$root" || fail "the compiled help file is not right"

mv "$root/CorvaneSG3.chm" "$out/.CorvaneSG3.chm.new"
mv -f "$out/.CorvaneSG3.chm.new" "$out/CorvaneSG3.chm"
rm -rf "$out/html.old"
[ ! -e "$out/html" ] || mv "$out/html" "$out/html.old"
mv "$work/html" "$out/html"
rm -rf "$out/html.old"
echo "build-help: wrote $out/CorvaneSG3.chm and $out/html/index.html" >&2
