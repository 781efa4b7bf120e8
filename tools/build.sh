#!/usr/bin/env bash
# Usage: tools/build.sh [i686|x86_64 ...]   (default: both)
# Configures and builds each architecture in build/<arch>.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
archs=("$@"); [ ${#archs[@]} -gt 0 ] || archs=(i686 x86_64)
for arch in "${archs[@]}"; do
  cmake -S "$root" -B "$root/build/$arch" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build/$arch" -j"$(nproc)"
done
