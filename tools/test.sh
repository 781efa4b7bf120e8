#!/usr/bin/env bash
# Builds both architectures and runs every test:
#   i686   - static checks of the deliverables (exports, imports, subsystem); PE32 code cannot run here;
#   x86_64 - every run-time test, under wine64 in the build tree's private prefix with Xvfb;
# then every fuzz target natively for 20 seconds (tools/fuzz.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh" i686 x86_64
echo "== static checks of the i686 deliverables"
ctest --test-dir "$root/build/i686" --output-on-failure
echo "== fonts of the test prefix (text widths and glyphs follow them)"
"$root/tools/wine-session.sh" "$root/build/x86_64" \
  "$root/build/x86_64/wine-run" "$root/build/x86_64/tests/harness/font-faces.exe"
echo "== run-time tests (x86_64 under wine64)"
"$root/tools/wine-session.sh" "$root/build/x86_64" \
  ctest --test-dir "$root/build/x86_64" --output-on-failure -j"$(nproc)" "$@"
echo "== fuzz targets (native, 20 s each)"
"$root/tools/fuzz.sh" all 20
