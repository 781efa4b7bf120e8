#!/usr/bin/env bash
# Static checks of a PE file that cannot run on this machine (the i686 deliverables).
#
# Usage: check_pe.sh [--objdump <tool>] [--subsystem gui|console] <pe-file> [<export>[@<ordinal>] ...]
#
#   - the export names are exactly the ones given (none given: the file exports nothing), each at its
#     ordinal when one is given, and nothing is exported by ordinal alone;
#   - no mingw runtime DLL (libstdc++, libgcc, libwinpthread) is imported;
#   - with --subsystem, the PE subsystem is the one given.
set -euo pipefail

objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
subsystem=""
while [ $# -gt 0 ]; do
  case "$1" in
    --objdump) objdump=$2; shift 2 ;;
    --subsystem) subsystem=$2; shift 2 ;;
    --) shift; break ;;
    -*) echo "check_pe: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ $# -ge 1 ] || { echo "usage: check_pe.sh [--objdump <tool>] [--subsystem gui|console] <pe-file> [<export>[@<ordinal>] ...]" >&2; exit 2; }
file=$1; shift
[ -f "$file" ] || { echo "check_pe: $file does not exist" >&2; exit 2; }

dump=$("$objdump" -p "$file")
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Exports: "name ordinal" pairs from the name table, plus the number of address-table entries.
exports=$(awk '
  /^Export Address Table -- Ordinal Base/ { base = $NF; in_addr = 1; next }
  in_addr && /Export RVA|Forwarder RVA/ { addresses++ ; next }
  in_addr && /^$/ { in_addr = 0 }
  /^\[Ordinal\/Name Pointer\] Table/ { in_names = 1; next }
  in_names && /^[[:space:]]*\[/ { idx = $0; sub(/^[[:space:]]*\[[[:space:]]*/, "", idx); sub(/\].*/, "", idx);
                                 name = $0; sub(/^[[:space:]]*\[[^]]*\][[:space:]]*/, "", name);
                                 print name, idx + base; names++; next }
  in_names && /^$/ { in_names = 0 }
  END { print "#addresses", addresses + 0; print "#names", names + 0 }' <<<"$dump")

actual_names=$(awk '!/^#/ {print $1}' <<<"$exports" | sort)
expected_names=$(for e in "$@"; do echo "${e%@*}"; done | sort)
if [ "$actual_names" != "$expected_names" ]; then
  fail "exports are [$(echo $actual_names)], expected [$(echo $expected_names)]"
fi
addresses=$(awk '/^#addresses/ {print $2}' <<<"$exports")
names=$(awk '/^#names/ {print $2}' <<<"$exports")
[ "$addresses" -le "$names" ] || fail "$((addresses - names)) export(s) by ordinal only"
for e in "$@"; do
  case "$e" in
    *@*)
      name=${e%@*}; ordinal=${e##*@}
      got=$(awk -v n="$name" '$1 == n {print $2}' <<<"$exports")
      [ "$got" = "$ordinal" ] || fail "$name is at ordinal ${got:-none}, expected $ordinal" ;;
  esac
done

# Imports: the deliverables link the runtime statically.
imports=$(awk '/DLL Name:/ {print $3}' <<<"$dump")
for dll in $imports; do
  case "${dll,,}" in
    libstdc++*|libgcc*|libwinpthread*) fail "imports the mingw runtime DLL $dll" ;;
  esac
done

if [ -n "$subsystem" ]; then
  got=$(awk '/^Subsystem/ {print $2}' <<<"$dump")
  case "$subsystem" in
    gui) want=00000002 ;;
    console) want=00000003 ;;
    *) echo "check_pe: unknown subsystem $subsystem" >&2; exit 2 ;;
  esac
  [ "$got" = "$want" ] || fail "subsystem is $got, expected $want ($subsystem)"
fi

if [ "$failures" -gt 0 ]; then exit 1; fi
echo "ok: $(basename "$file"): exports [$(echo $actual_names)], imports [$(echo $imports)]"
