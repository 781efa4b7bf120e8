#!/usr/bin/env bash
# Benchmark of the JPEG core (not a test): decodes the largest picture its bounds let through
# (8192 x 8192 = 64 M pixels, unsampled, progressive, 32 scans), 24-bit and 8-bit (two-pass colour
# mapping), natively (g++ against Debian's libjpeg62-turbo, which has SIMD) and as the x86_64
# build under Wine (the cross-built libjpeg, without SIMD). Prints the best elapsed time of the
# runs, its CPU time and the process's peak memory. Runs inside a Wine session:
#   tools/wine-session.sh build/x86_64 bench/jpeg_bench.sh [runs]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-3}
build=${VD_BUILD_DIR:-$root/build/x86_64}
[ -n "${WINEPREFIX:-}" ] || { echo "run me through tools/wine-session.sh $build ..." >&2; exit 2; }
cmake --build "$build" --target jpeg_bench >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -O2 -I"$root" -o "$work/jpeg_bench" "$root/bench/jpeg_bench.cpp" "$root/classlib/JpegCodec.cpp" -ljpeg
echo "[bench] writing the picture" >&2
"$work/jpeg_bench" make "$work/big.jpg"
echo "[bench] $(stat -c %s "$work/big.jpg") bytes; decoding, best of $runs" >&2
native=$("$work/jpeg_bench" decode "$work/big.jpg" "$runs")
to_dos() { echo "Z:$(echo "$1" | tr '/' '\\')"; }
wine=$("$build/wine-run" "$build/tests/classlib/jpeg_bench.exe" decode "$(to_dos "$work/big.jpg")" "$runs" | tr -d '\r')

echo "Wine $(/usr/lib/wine/wine64 --version 2>/dev/null), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
printf '%-7s %-6s %10s %10s %10s\n' where mode "elapsed ms" "CPU ms" "peak MB"
while read -r mode ms cpu mb; do printf '%-7s %-6s %10s %10s %10s\n' native "$mode" "$ms" "$cpu" "$mb"; done <<<"$native"
while read -r mode ms cpu mb; do printf '%-7s %-6s %10s %10s %10s\n' wine "$mode" "$ms" "$cpu" "$mb"; done <<<"$wine"
