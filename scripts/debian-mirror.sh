#!/usr/bin/env bash
# Prints the Debian mirror the machine's own apt configuration uses, so that
# the private apt set-ups of the Windows build fetch from the same place.
# Usage: scripts/debian-mirror.sh [main|security]   (main is the default)
set -euo pipefail
kind=${1:-main}
uris() {  # every URI of the deb822 and one-line source lists
  awk '/^URIs:/ {for (i = 2; i <= NF; i++) print $i}' /etc/apt/sources.list.d/*.sources 2>/dev/null || true
  awk '$1 == "deb" || $1 == "deb-src" {for (i = 2; i <= NF; i++) if ($i ~ /:\/\//) {print $i; break}}' \
    /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true
}
case "$kind" in
  main) mirror=$(uris | grep -v -- '-security' | head -n1) ;;
  security) mirror=$(uris | grep -- '-security' | head -n1)
            # A machine without a security source: the main mirror's sibling.
            [ -n "$mirror" ] || mirror=$(uris | grep -v -- '-security' | head -n1 | sed 's,/debian/*$,/debian-security,') ;;
  *) echo "debian-mirror: unknown kind '$kind'" >&2; exit 2 ;;
esac
[ -n "$mirror" ] || { echo "debian-mirror: no Debian mirror configured" >&2; exit 1; }
echo "${mirror%/}"
