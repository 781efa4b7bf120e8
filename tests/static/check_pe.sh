#!/usr/bin/env bash
# Static checks of a PE file that cannot run on this machine (the i686 deliverables).
#
# Usage: check_pe.sh [--objdump <tool>] [--subsystem gui|console] [--stripped] [--resources <types>]
#                    <pe-file> [<export>[@<ordinal>] ...]
#
#   - the export names are exactly the ones given (none given: the file exports nothing), each at its
#     ordinal when one is given, and nothing is exported by ordinal alone;
#   - no mingw runtime DLL (libstdc++, libgcc, libwinpthread) is imported;
#   - with --subsystem, the PE subsystem is the one given;
#   - with --stripped, the file has no symbol table and no debug sections;
#   - with --resources, its resource table holds exactly the resource types given, as numbers
#     separated by commas (16 RT_VERSION, 24 RT_MANIFEST), or "none".
set -euo pipefail

objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
subsystem=""
stripped=0
resources="-"
while [ $# -gt 0 ]; do
  case "$1" in
    --objdump) objdump=$2; shift 2 ;;
    --subsystem) subsystem=$2; shift 2 ;;
    --stripped) stripped=1; shift ;;
    --resources) resources=$2; shift 2 ;;
    --) shift; break ;;
    -*) echo "check_pe: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ $# -ge 1 ] || { echo "usage: check_pe.sh [options] <pe-file> [<export>[@<ordinal>] ...]" >&2; exit 2; }
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

if [ "$stripped" -eq 1 ]; then
  flags=$("$objdump" -f "$file" | awk '/^architecture:/ {getline; print}')
  case "$flags" in
    *HAS_SYMS*|*HAS_DEBUG*) fail "not stripped: $flags" ;;
  esac
  debug_sections=$("$objdump" -h "$file" | awk '$2 ~ /^\.debug/ {print $2}')
  [ -z "$debug_sections" ] || fail "debug sections: $(echo $debug_sections)"
fi

if [ "$resources" != "-" ]; then
  # The top level of the resource directory: one entry per resource type.
  got=$(awk '/^The \.rsrc Resource Directory section:/ { in_rsrc = 1; next }
             in_rsrc && /^[0-9a-f]+   Entry: ID: / { t = $4; sub(/,$/, "", t); print t }
             in_rsrc && /^[0-9a-f]+   Entry: name: / { print "name" }
             in_rsrc && /^$/ { in_rsrc = 0 }' <<<"$dump" |
        while read -r type; do case "$type" in 0x*) echo $((type)) ;; *) echo "$type" ;; esac; done |
        sort -n | paste -sd, -)
  want=$([ "$resources" = none ] || tr ',' '\n' <<<"$resources" | sort -n | paste -sd, -)
  [ "$got" = "$want" ] || fail "resource types are [$got], expected [$want]"
fi

if [ "$failures" -gt 0 ]; then exit 1; fi
echo "ok: $(basename "$file"): exports [$(echo $actual_names)], imports [$(echo $imports)]"
