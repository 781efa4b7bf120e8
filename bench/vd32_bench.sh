#!/usr/bin/env bash
# Benchmark of the snapshot walk (not a test): on a generated tree of about 5,000 folders with
# files, hidden folders and symbolic links to folders, compares the snapshot's walk (one
# enumeration per folder) with the literal two-pass walk, both under Wine, and with native
# `find -type d` on the same tree. Prints the ratios measured in this one run.
#   bench/vd32_bench.sh [runs]
# Runs in the current Wine session when started through tools/wine-session.sh, otherwise in a
# session of its own (prefix build/bench).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-3}
build="$root/build/x86_64"
log=$(mktemp)
[ -f "$build/build.ninja" ] || "$root/tools/build.sh" x86_64 >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
if ! cmake --build "$build" --target vd32_walk_bench >"$log" 2>&1; then
  cat "$log" >&2; rm -f "$log"; echo "[bench] build failed" >&2; exit 1
fi
rm -f "$log"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree="$work/tree"

# 10 x 10 x 8 x 5 folders, a hidden folder in every second-level folder, a link to a sibling
# folder beside it (never followed), two files in each third-level folder, one in each leaf.
echo "[bench] generating the tree in $tree" >&2
for a in $(seq 1 10); do
  for b in $(seq 1 10); do
    l2="$tree/folder$a/sub$b"
    dirs=("$l2/.cache/state")
    for c in $(seq 1 8); do
      for d in $(seq 1 5); do dirs+=("$l2/part$c/leaf$d"); done
    done
    mkdir -p "${dirs[@]}"
    ln -s part1 "$l2/link"
    for c in $(seq 1 8); do
      : > "$l2/part$c/a.txt"; : > "$l2/part$c/b.dat"
      for d in $(seq 1 5); do : > "$l2/part$c/leaf$d/x.log"; done
    done
  done
done
folders=$(find "$tree" -type d | wc -l)
echo "[bench] $folders folders, $(find "$tree" -type f | wc -l) files, $(find "$tree" -type l | wc -l) links" >&2

# Native reference: best of the runs.
native_ms=""
for _ in $(seq 1 "$runs"); do
  t0=$(date +%s%N); find "$tree" -type d >/dev/null; t1=$(date +%s%N)
  ms=$(( (t1 - t0) / 1000000 ))
  if [ -z "$native_ms" ] || [ "$ms" -lt "$native_ms" ]; then native_ms=$ms; fi
done
[ "$native_ms" -ge 1 ] || native_ms=1

dos_tree="Z:$(echo "$tree" | tr '/' '\\')"
out="$work/wine.txt"
if [ -n "${WINEPREFIX:-}" ]; then  # already inside tools/wine-session.sh
  "$build/wine-run" "$build/tests/vd32/vd32_walk_bench.exe" "$dos_tree" "$runs" >"$out"
else
  "$root/tools/wine-session.sh" "$root/build/bench" \
    "$build/wine-run" "$build/tests/vd32/vd32_walk_bench.exe" "$dos_tree" "$runs" >"$out"
fi
cat "$out" >&2

awk -v native="$native_ms" -v folders="$folders" -v wine="$(/usr/lib/wine/wine64 --version 2>/dev/null)" \
    -v cpu="$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')" '
  { lines[$1] = $2; ms[$1] = (ms[$1] == "" || $3 < ms[$1]) ? $3 : ms[$1]; sum[$1] = $4 }
  END {
    one = ms["one-enumeration"]; two = ms["two-pass"];
    printf "%s on %s\n", wine, cpu
    printf "folders in the tree:      %d (snapshot lines: %d)\n", folders, lines["one-enumeration"]
    printf "one enumeration / folder: %8.1f ms  %6.0f folders/s\n", one, folders / one * 1000
    printf "literal two-pass walk:    %8.1f ms  %6.0f folders/s\n", two, folders / two * 1000
    printf "native find -type d:      %8.1f ms  %6.0f folders/s\n", native, folders / native * 1000
    printf "ratio one-enumeration / two-pass: %.2f (target <= 0.55)\n", one / two
    printf "ratio one-enumeration / native:   %.1f\n", one / native
    printf "same output: %s\n", (sum["one-enumeration"] == sum["two-pass"] && lines["one-enumeration"] == lines["two-pass"]) ? "yes" : "NO"
  }' "$out"
