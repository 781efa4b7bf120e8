#!/usr/bin/env bash
# The main job: installs what is missing, builds, prepares a private Wine prefix (build/demo) and
# runs the narrated demo of the product modules. Exits non-zero when any step does not show what it should.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh" i686 x86_64
# Every run starts from a fresh product state: a new prefix, with nothing of an earlier run in it.
rm -rf "$root/build/demo/wineprefix"
exec "$root/tools/wine-session.sh" "$root/build/demo" "$root/tools/demo-steps.sh" "$root/build/x86_64"
