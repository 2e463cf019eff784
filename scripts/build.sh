#!/usr/bin/env bash
# Builds the Windows program (and its Windows-side test tools) into build/win32.
#   scripts/build.sh [extra cmake arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/fetch_tinyxml.sh"
build="${QW_BUILD_ROOT:-$root/build}/win32"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
