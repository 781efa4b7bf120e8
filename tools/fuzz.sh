#!/usr/bin/env bash
# Usage: tools/fuzz.sh <target>|all [seconds]     (default 20 seconds per target)
#        tools/fuzz.sh build                      (builds every target, runs none)
# Builds the fuzz targets natively with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer into build/fuzz/<target> and runs the target for the given time,
# starting from its seed corpus tests/fuzz/<target>/ (every seed runs first) and keeping what it
# finds in build/fuzz/corpus/<target>/. Fails on any sanitizer report, crash, input slower than
# 5 s or memory over 512 MB; the input that did it is written to build/fuzz/crashes/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/fuzz"
# Every target is tests/fuzz/<target>_fuzz.cpp (tests/fuzz/CMakeLists.txt builds each).
targets=()
for source in "$root"/tests/fuzz/*_fuzz.cpp; do source=${source##*/}; targets+=("${source%_fuzz.cpp}"); done

[ $# -ge 1 ] || { sed -n '2,8p' "$0" >&2; exit 2; }
what=$1; seconds=${2:-20}

mkdir -p "$out"
{ cmake -S "$root/tests/fuzz" -B "$out" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=None &&
  cmake --build "$out" -j"$(nproc)"; } >"$out/build.log" 2>&1 ||
  { tail -40 "$out/build.log" >&2; echo "[fuzz] build FAILED (log: $out/build.log)" >&2; exit 1; }
[ "$what" = build ] && exit 0

run_one() {
  local name=$1
  [ -x "$out/$name" ] || { echo "[fuzz] no target $name (one of: ${targets[*]})" >&2; return 2; }
  mkdir -p "$out/corpus/$name" "$out/crashes"
  echo "[fuzz] $name for ${seconds}s"
  # Sanitizer reports abort the run; leaks count as failures too. Freed memory waits in ASan's
  # quarantine (to catch its use) and counts toward the memory limit: 64 MB of it, not 256, leaves
  # the limit to what a target holds itself (a JPEG decoding within the target's 16 M pixels, up
  # to some 250 MB).
  ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:quarantine_size_mb=64 UBSAN_OPTIONS=print_stacktrace=1 \
    "$out/$name" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=512 -max_len=1048576 \
    -print_final_stats=0 -artifact_prefix="$out/crashes/$name-" \
    "$out/corpus/$name" "$root/tests/fuzz/$name" 2>"$out/$name.log" ||
    { tail -40 "$out/$name.log" >&2; echo "[fuzz] $name FAILED (log: $out/$name.log)" >&2; return 1; }
}

if [ "$what" = all ]; then
  failed=0
  for t in "${targets[@]}"; do run_one "$t" || failed=1; done
  exit $failed
fi
run_one "$what"
