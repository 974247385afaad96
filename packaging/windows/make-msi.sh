#!/usr/bin/env bash
# Makes the Windows installer package of one architecture with wixl:
# DIST/CorvaneMP3-VERSION-x86.msi (i686) or -x64.msi (x86_64). It installs the
# server, the decoder library, the type library, the help file, the licence
# and the notices into Program Files\CorvaneMP3, and registers the server
# through its own Registry table: the rows are what the server's own
# DllRegisterServer writes, as harvest-registration.sh finds under Wine.
# Usage: packaging/windows/make-msi.sh VERSION ARCH(i686|x86_64) WINDOWS_BUILD HELPDIR DIST
set -euo pipefail
[ $# -eq 5 ] || { sed -n '2,8s/^# \{0,1\}//p' "$0" >&2; exit 2; }
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

# The registration, harvested once per server (make windows has usually done it).
harvest=$("$here/harvest-registration.sh" "$arch" "$build") || fail "the registration of the $arch server could not be harvested"

work=$(mktemp -d "$dist/.make-msi.XXXXXX")  # beside the package: it is renamed into place
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
