#!/usr/bin/env bash
# Installs the Debian packages a build needs, only when something is missing.
# Usage: scripts/install-deps.sh [core] [bench] [fuzz] [coverage] [windows] [dist]
set -euo pipefail

core=(cmake ninja-build g++ pkg-config make
      libmpg123-dev portaudio19-dev libkissfft-dev
      libgtest-dev libgmock-dev libbenchmark-dev
      lame twolame libasound2-plugins tmux)
bench=(mpg123 ffmpeg)
fuzz=(clang libclang-rt-14-dev)
coverage=(gcovr)
windows=(mingw-w64 mingw-w64-tools wine wine64 libwine-dev xvfb xauth googletest binutils python3)
dist=(wixl fp-utils libchm-bin python3-markdown lintian man-db zip unzip dpkg-dev file)

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(core)

wanted=()
for group in "${groups[@]}"; do
  case "$group" in
    core) wanted+=("${core[@]}") ;;
    bench) wanted+=("${bench[@]}") ;;
    fuzz) wanted+=("${fuzz[@]}") ;;
    coverage) wanted+=("${coverage[@]}") ;;
    windows) wanted+=("${windows[@]}") ;;
    dist) wanted+=("${dist[@]}") ;;
    *) echo "install-deps: unknown group '$group'" >&2; exit 2 ;;
  esac
done

missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO=sudo; else
    echo "install-deps: missing packages and not root: ${missing[*]}" >&2; exit 1
  fi
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
