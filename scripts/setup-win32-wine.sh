#!/usr/bin/env bash
# Makes a private 32-bit Wine for running the i686 build on a machine whose
# kernel runs no 32-bit code: Debian's own wine32 and its dependencies
# unpacked into a folder under the cache, run by qemu's user-mode emulator
# (also unpacked, not installed), talking to the host's 64-bit wineserver of
# the same version. The system's dpkg and apt state are never changed; the
# script checks that they are the same afterwards.
#
# Usage: scripts/setup-win32-wine.sh   (prints the launcher, bin/wine32, on success)
# Exit status 3: the packages could not be downloaded (a mirror out of step);
# any other failure is 1.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
base=${XDG_CACHE_HOME:-$HOME/.cache}/corvanemp3/win32-wine
root=$base/root
launcher=$base/bin/wine32
[ -f "$base/.complete" ] && [ -x "$launcher" ] && { echo "$launcher"; exit 0; }

log() { echo "setup-win32-wine: $*" >&2; }
unavailable() { log "$*"; exit 3; }

system_state() { dpkg --print-foreign-architectures; md5sum /var/lib/dpkg/status; }
before=$(system_state)

# The mirror the machine already uses.
mirror=$("$top/scripts/debian-mirror.sh")

# An apt of its own: own sources, lists, cache and an empty dpkg status.
private_apt() {  # folder architecture suites
  local folder=$1
  mkdir -p "$folder"/lists/partial "$folder"/archives/partial "$folder"/sources
  : > "$folder/status"
  printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$mirror" "$3" > "$folder/sources/debian.sources"
  cat > "$folder/apt.conf" <<EOF
Dir::Etc::SourceList "/dev/null";
Dir::Etc::SourceParts "$folder/sources";
Dir::State::Lists "$folder/lists";
Dir::State::status "$folder/status";
Dir::Cache::Archives "$folder/archives";
Dir::Cache "$folder";
APT::Architecture "$2";
APT::Architectures { "$2"; };
APT::Install-Recommends "false";
Acquire::Languages "none";
APT::Sandbox::User "root";
Debug::NoLocking "true";
EOF
}

rm -rf "$base"
mkdir -p "$base/bin" "$root"

# bookworm-security's i386 index is out of step on the mirror; the suites
# below are enough for wine32 of the same version as the host's wine64.
log "downloading wine32 (i386) and its dependencies"
private_apt "$base/apt-i386" i386 "bookworm bookworm-updates"
APT_CONFIG=$base/apt-i386/apt.conf apt-get -qq update >&2 || unavailable "the i386 package lists could not be fetched"
APT_CONFIG=$base/apt-i386/apt.conf apt-get -qq -y -d install wine32 >&2 || unavailable "wine32 could not be downloaded"
for package in "$base"/apt-i386/archives/*.deb; do dpkg -x "$package" "$root"; done
host_wine=$(dpkg-query -W -f '${Version}' wine64)
guest_wine=$(dpkg-deb -f "$base"/apt-i386/archives/wine32_*.deb Version)
[ "$host_wine" = "$guest_wine" ] || unavailable "wine32 $guest_wine does not match the host's wine64 $host_wine"

# Debian 12's own qemu 7.2 mishandles MAP_FIXED_NOREPLACE and cannot run Wine.
log "downloading qemu-user from bookworm-backports"
private_apt "$base/apt-qemu" amd64 "bookworm bookworm-updates bookworm-backports"
APT_CONFIG=$base/apt-qemu/apt.conf apt-get -qq update >&2 || unavailable "the backports lists could not be fetched"
(cd "$base/apt-qemu/archives" && APT_CONFIG=$base/apt-qemu/apt.conf apt-get -qq download qemu-user/bookworm-backports >&2) ||
  unavailable "qemu-user could not be downloaded"
dpkg -x "$base"/apt-qemu/archives/qemu-user_*.deb "$base/qemu"
qemu=$base/qemu/usr/bin/qemu-i386

# What libwine's installation would have done: zlib1.dll as a builtin.
for pair in i686:i386 x86_64:x86_64; do
  source_dll=$root/usr/${pair%%:*}-w64-mingw32/lib/zlib1.dll
  target=$root/usr/lib/i386-linux-gnu/wine/${pair##*:}-windows/zlib1.dll
  [ -f "$source_dll" ] && [ -d "$(dirname "$target")" ] || continue
  { head -c 64 "$source_dll"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$source_dll"; } > "$target"
done

# Wine starts each new process through <bindir>/wine-preloader, which Debian
# does not ship: a script there hands the process to qemu instead.
cat > "$root/usr/lib/wine/wine-preloader" <<'EOF'
#!/bin/sh
root=$(cd "$(dirname "$0")/../../.." && pwd)
loader=$1
shift
export WINELOADERNOEXEC=1
exec "$CORVANE_QEMU_I386" -L "$root" "$loader" "$@"
EOF
chmod +x "$root/usr/lib/wine/wine-preloader"

# The trap numbers qemu leaves out, and the root's own library cache (else
# the emulated loader reads the host's and takes its 32-bit libc).
gcc -m32 -shared -fPIC -nostdlib -O2 -fno-stack-protector -o "$root/usr/lib/qemu_trap_number.so" \
  "$top/scripts/win32/qemu_trap_number.c"
echo /usr/lib/qemu_trap_number.so > "$root/etc/ld.so.preload"
[ -f "$root/etc/ld.so.conf" ] || echo 'include /etc/ld.so.conf.d/*.conf' > "$root/etc/ld.so.conf"
ldconfig -r "$root"

cat > "$launcher" <<EOF
#!/bin/sh
# 32-bit Wine under qemu-i386, with the host's wineserver.
export CORVANE_QEMU_I386="$qemu" WINELOADERNOEXEC=1 WINEARCH=win32 WINESERVER=/usr/lib/wine/wineserver64
exec "$qemu" -L "$root" "$root/usr/lib/wine/wine" "\$@"
EOF
chmod +x "$launcher"
rm -rf "$base"/apt-i386/archives "$base"/apt-qemu/archives

[ "$(system_state)" = "$before" ] || { log "the system's dpkg state changed"; exit 1; }
touch "$base/.complete"
log "ready: $(du -sh "$base" | cut -f1)"
echo "$launcher"
