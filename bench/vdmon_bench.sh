#!/usr/bin/env bash
# Benchmark of the folder check (not a test): isFolderClean with 1, 3 and 10 masks on a generated
# tree of about 5,000 folders with no hit, against the floor (one plain enumeration pass over the
# same tree in the same Wine), and the per-mask reference search for 1 and 3 masks. Prints the
# ratios measured in this one run. Runs inside a Wine session:
#   tools/wine-session.sh build/x86_64 bench/vdmon_bench.sh [runs]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-3}
build=${VD_BUILD_DIR:-$root/build/x86_64}
[ -n "${WINEPREFIX:-}" ] || { echo "run me through tools/wine-session.sh $build ..." >&2; exit 2; }
cmake --build "$build" --target vdmon_bench VDMon >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree="$work/tree"

# 10 x 10 x 50 folders: files in every folder, none matching a mask (no 8.3 aliases either), a
# hidden folder and a link to a folder (never entered) in each second-level folder.
echo "[bench] generating the tree in $tree" >&2
for a in $(seq 1 10); do
  for b in $(seq 1 10); do
    l2="$tree/dir$a/sub$b"
    dirs=("$l2/.cache")
    for c in $(seq 1 49); do dirs+=("$l2/leaf$c"); done
    mkdir -p "${dirs[@]}"
    : > "$l2/x.log"
    ln -s leaf1 "$l2/link"
    for d in "${dirs[@]}"; do : > "$d/a.txt"; : > "$d/b.dat"; done
  done
done
folders=$(find "$tree" -type d | wc -l)
echo "[bench] $folders folders, $(find "$tree" -type f | wc -l) files" >&2

to_dos() { echo "Z:$(echo "$1" | tr '/' '\\')"; }
out="$work/wine.txt"
"$build/wine-run" "$build/tests/vdmon/vdmon_bench.exe" "$(to_dos "$build/vdmon/VDMon.dll")" "$(to_dos "$tree")" "$runs" >"$out"
cat "$out" >&2

awk -v wine="$(/usr/lib/wine/wine64 --version 2>/dev/null)" \
    -v cpu="$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')" '
  { ms[$1] = $2; result[$1] = $3 }
  END {
    floor = ms["floor"]
    printf "Wine %s, %s\n", wine, cpu
    printf "folders walked: %d; floor (one enumeration pass): %.1f ms\n", ms["folders"], floor
    for (i = 1; i <= 4; i++) {
      name = (i == 1) ? "export-1" : (i == 2) ? "export-3" : (i == 3) ? "export-10" : "export-10q"
      label = (i == 4) ? "isFolderClean, 10 masks, one with ?" : sprintf("isFolderClean, %d mask(s)", (i == 1) ? 1 : (i == 2) ? 3 : 10)
      printf "%-36s %9.1f ms  ratio %5.2f  %s\n", label, ms[name], ms[name] / floor, result[name]
    }
    for (i = 1; i <= 2; i++) {
      name = (i == 1) ? "reference-1" : "reference-3"
      label = sprintf("per-mask reference, %d mask(s)", (i == 1) ? 1 : 3)
      printf "%-36s %9.1f ms  ratio %5.2f  %s\n", label, ms[name], ms[name] / floor, result[name]
    }
    printf "target: 10 masks within 2x of the floor: %s\n", (ms["export-10"] <= 2 * floor) ? "met" : "NOT met"
  }' "$out"
