#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (as root or through sudo), and
# fetches the sources of the JPEG library into the build tree (build/deps/src), once.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
packages=(cmake ninja-build googletest
          g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
          wine64 xvfb xauth
          fonts-wine  # Wine's own "MS Sans Serif", "Tahoma" and "Marlett", the faces the forms ask for
          locales   # locale sources: the date-time tests compile de_DE, en_GB, ja_JP into the build tree
          python3   # the demo turns its screenshot into a PNG (tools/bmp2png.py); the wizard tests draw icons
          fp-compiler   # the wizard's generated Pascal units are compiled by a test
          dpkg-dev  # apt-get source unpacks the JPEG library's source package with dpkg-source
          clang libclang-rt-14-dev   # the fuzz targets: clang with its libFuzzer and sanitizer runtimes
          libjpeg62-turbo-dev)       # ... and the JPEG target's native libjpeg
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo_cmd=""; [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
# Wait for another apt run instead of failing on its lock.
apt_opts=(-o DPkg::Lock::Timeout=900)
if [ ${#missing[@]} -gt 0 ]; then
  echo "[setup] installing: ${missing[*]}" >&2
  $sudo_cmd apt-get "${apt_opts[@]}" update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get "${apt_opts[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# libjpeg (the 6b API) from Debian's libjpeg-turbo source package. The machine's own apt lists
# carry binary entries only, so this one call reads a private deb-src list into a private lists
# folder and cache; the system's sources and lists stay as they are. CMake cross-builds the
# library for each architecture in its build tree (cmake/Libjpeg.cmake).
jpeg_src="$root/build/deps/src/libjpeg-turbo"
if [ ! -f "$jpeg_src/jpeglib.h" ]; then
  echo "[setup] fetching the libjpeg-turbo source package" >&2
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/get"
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] ${VD_DEBIAN_MIRROR:-http://deb.debian.org/debian} $codename main" \
    > "$work/sources.list"
  private=(-o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/nonexistent
           -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache"
           -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache= -o APT::Sandbox::User="$(id -un)")
  apt-get "${private[@]}" update -qq
  (cd "$work/get" && apt-get "${private[@]}" source -qq libjpeg-turbo >/dev/null)
  unpacked=$(find "$work/get" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -1)
  [ -n "$unpacked" ] && [ -f "$unpacked/jpeglib.h" ] || { echo "[setup] no libjpeg-turbo source unpacked" >&2; exit 1; }
  mkdir -p "$(dirname "$jpeg_src")"
  rm -rf "$jpeg_src"
  mv "$unpacked" "$jpeg_src"
fi
