#!/usr/bin/env bash
# Fails when a built file contains any of the given texts (bytes), e.g. the messages of a library
# that must not be linked into it.
#
# Usage: check_no_text.sh <file> <text> [<text> ...]
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: check_no_text.sh <file> <text> [<text> ...]" >&2; exit 2; }
file=$1; shift
[ -f "$file" ] || { echo "check_no_text: $file does not exist" >&2; exit 2; }
failures=0
for text in "$@"; do
  if grep -a -q -F -- "$text" "$file"; then
    echo "FAIL: $file contains \"$text\"" >&2
    failures=$((failures + 1))
  fi
done
[ $failures -eq 0 ] && echo "ok: $file"
exit $((failures > 0))
