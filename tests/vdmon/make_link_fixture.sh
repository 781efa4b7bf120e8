#!/bin/sh
# Symbolic links for the folder-search test, which Windows programs under Wine cannot create:
#   <dir>/outside/hit.bak     a hit outside the tree
#   <dir>/tree/plain/         an ordinary folder, no hit
#   <dir>/tree/linked  ->  ../outside
#   <dir>/tree/loop    ->  .
set -eu
dir=$1
rm -rf "$dir"
mkdir -p "$dir/outside" "$dir/tree/plain"
: > "$dir/outside/hit.bak"
: > "$dir/tree/plain/readme.txt"
ln -s ../outside "$dir/tree/linked"
ln -s . "$dir/tree/loop"
