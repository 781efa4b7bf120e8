#!/bin/sh
# Usage: make-locales.sh <dir> <name>...   Compiles each <name>.UTF-8 locale into <dir> once.
set -e
dir=$1; shift
mkdir -p "$dir"
for name in "$@"; do
  [ -f "$dir/$name.UTF-8/LC_CTYPE" ] && continue
  # A path with a slash keeps localedef away from the system's locale archive.
  localedef -i "$name" -f UTF-8 "$dir/$name.UTF-8" || [ -f "$dir/$name.UTF-8/LC_CTYPE" ]
done
