#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (as root or through sudo).
set -euo pipefail
packages=(cmake ninja-build googletest
          g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
          wine64 xvfb xauth
          locales   # locale sources: the date-time tests compile de_DE, en_GB, ja_JP into the build tree
          python3   # the demo turns its screenshot into a PNG (tools/bmp2png.py)
          clang libclang-rt-14-dev)  # the fuzz targets: clang with its libFuzzer and sanitizer runtimes
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "[setup] installing: ${missing[*]}" >&2
sudo_cmd=""; [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
# Wait for another apt run instead of failing on its lock.
apt_opts=(-o DPkg::Lock::Timeout=900)
$sudo_cmd apt-get "${apt_opts[@]}" update -qq
DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get "${apt_opts[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
