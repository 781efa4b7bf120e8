#!/usr/bin/env bash
# Compiles the expected units of the four wizards (golden/) against stand-in units and headers
# (syntax/): the Pascal units with Free Pascal in Delphi mode, the C++ sources with their headers
# using the given C++ compiler. Guards against a misreading that a template and its expected unit
# would share.
#
# Usage: check_generated_units.sh <golden dir> <stub dir> <c++ compiler> <work dir>
set -euo pipefail
golden=$1 stubs=$2 cxx=$3 work=$4
command -v fpc >/dev/null || { echo "check_generated_units: fpc is missing (tools/setup.sh installs it)" >&2; exit 1; }
failures=0
for dir in "$golden"/*/; do
  wizard=$(basename "$dir")
  out="$work/$wizard"
  rm -rf "$out"; mkdir -p "$out"
  cp "$dir"/Unit3.* "$out/"
  touch "$out/Unit3.DFM"   # {$R *.DFM}
  if ! (cd "$out" && fpc -Mdelphi -vew -Fu"$stubs" -FU"$out" Unit3.pas >"$out/fpc.log" 2>&1); then
    echo "FAIL: $wizard/Unit3.pas"; cat "$out/fpc.log"; failures=$((failures + 1))
  fi
  if ! "$cxx" -std=c++17 -fsyntax-only -Wall -Werror -Wno-unknown-pragmas -Wno-unused-variable -I"$stubs" \
       "$out/Unit3.cpp"; then
    echo "FAIL: $wizard/Unit3.cpp"; failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ] && echo "ok: the units of $(ls -d "$golden"/*/ | wc -l) wizards compile"
exit $((failures > 0))
