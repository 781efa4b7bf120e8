#!/usr/bin/env bash
# Benchmark of word-wrapped rich text (not a test): DrawRichText on 2 KB of short words at a width
# of 10 characters and on 16 KB of tagged text, of bracketed synopses, of tagged text opening with
# an unclosed bracket and of long bracketed runs at a width of 30 characters, and on one 160 KB
# word "]&[[[..." with accelerator marks, each against the same lines drawn once without wrapping;
# ScanTags on 60 KB and 600 KB. Prints the ratios measured in this one run. Runs inside a Wine
# session:
#   tools/wine-session.sh build/x86_64 bench/richtext_bench.sh [runs]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-3}
build=${VD_BUILD_DIR:-$root/build/x86_64}
[ -n "${WINEPREFIX:-}" ] || { echo "run me through tools/wine-session.sh $build ..." >&2; exit 2; }
cmake --build "$build" --target lx_richtext_bench >/dev/null

out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$build/wine-run" "$build/tests/lx/lx_richtext_bench.exe" "$runs" >"$out"
cat "$out" >&2

awk -v wine="$(/usr/lib/wine/wine64 --version 2>/dev/null)" \
    -v cpu="$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')" '
  { ms[$1] = $2; count[$1] = $3 }
  END {
    printf "Wine %s, %s\n", wine, cpu
    split("short-2k tagged-16k brackets-16k unclosed-16k runs-16k stray-160k", names, " ")
    split("2 KB of short words, 10 characters wide|16 KB of tagged text, 30 characters wide|" \
          "16 KB of bracketed synopses, 30 wide|16 KB opening with an unclosed bracket, 30 wide|" \
          "16 KB of long bracketed runs, 30 wide|160 KB word ]&[[[... with marks, 30 wide", labels, "|")
    split("50 500 500 500 500 50", targets, " ")
    for (i = 1; i <= 6; i++) {
      n = names[i]; floor = ms[n "-floor"] > 0 ? ms[n "-floor"] : 0.1
      printf "%-42s %8.1f ms  %5d lines  floor %7.1f ms  ratio %5.2f  target < %d ms: %s\n", labels[i], ms[n],
             count[n], ms[n "-floor"], ms[n] / floor, targets[i], (ms[n] < targets[i]) ? "met" : "NOT met"
    }
    small = ms["scantags-60k"] > 0 ? ms["scantags-60k"] : 0.1
    printf "ScanTags: 60 KB %.1f ms, 600 KB %.1f ms; ratio per byte %.2f (1 is linear)\n", ms["scantags-60k"],
           ms["scantags-600k"], ms["scantags-600k"] / small / 10
  }' "$out"
