#!/usr/bin/env bash
# Builds the Windows program, with its Windows-side test and benchmark tools, for both
# architectures from one source: the 32-bit one into build/win32, the 64-bit one into
# build/win64.
#   scripts/build.sh [extra cmake arguments]
#   QW_ARCHS="x64" scripts/build.sh    # one architecture only (x86, x64)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/fetch_tinyxml.sh"
for arch in ${QW_ARCHS:-x86 x64}; do
  case $arch in
    x86) folder=win32 toolchain=mingw-i686 ;;
    x64) folder=win64 toolchain=mingw-x86_64 ;;
    *) echo "unknown architecture $arch (x86, x64)" >&2; exit 2 ;;
  esac
  build="${QW_BUILD_ROOT:-$root/build}/$folder"
  echo "Building the $arch program into $build"
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  cmake --build "$build" -j"$(nproc)"
done
