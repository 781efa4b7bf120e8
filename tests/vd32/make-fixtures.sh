#!/bin/sh
# Usage: make-fixtures.sh <fixtures-dir>
# Lays out, from the Unix side, the trees the snapshot tests walk (idempotent):
#   cdrom-d/  the CD-ROM drive D: of the test prefix;
#   walk/     a tree reached through Z: by the walk tests.
# Symbolic links and paths longer than Windows' MAX_PATH can only be made from this side.
set -eu
fx=$1

# D: holds the folders A (with A1) and B, plus a file and a symbolic link to A that the
# snapshot must not follow.
d="$fx/cdrom-d"
mkdir -p "$d/A/A1" "$d/B"
echo "readme" > "$d/readme.txt"
ln -sfn A "$d/Link"

# walk/example holds just A (with A1) and B; walk/mixed everything a walk has to tell apart.
mkdir -p "$fx/walk/example/A/A1" "$fx/walk/example/B"
w="$fx/walk/mixed"
mkdir -p "$w/A/A1" "$w/B" "$w/.cache/inner" "$w/Sys/Below" "$w/Target/Under"
echo data > "$w/file.txt"
echo data > "$w/A/.hidden.txt"
echo data > "$w/B/notes.txt"
ln -sfn Target "$w/Linked"          # a symbolic link to a folder: Wine reports it as 0x410
ln -sfn ../A "$w/B/UpLink"          # a link back up would loop if followed
# deep/<long>/<leaf>/Gone: <leaf> lies beyond MAX_PATH once seen as "Z:<this path>", so it can be
# listed by its parent but not searched itself.
dos_prefix_len=$(printf 'Z:%s/deep/' "$w" | wc -c)
long_len=$((245 - dos_prefix_len))
[ "$long_len" -ge 20 ] || { echo "fixtures path too long for the MAX_PATH fixture" >&2; exit 1; }
long=$(printf '%*s' "$long_len" '' | tr ' ' 'L')
leaf=$(printf '%*s' 40 '' | tr ' ' 'F')
mkdir -p "$w/deep/$long/$leaf/Gone"
