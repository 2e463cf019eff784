#!/usr/bin/env bash
# Builds the two release packages, dist/QwClicker-<version>-x86.zip (the 32-bit program)
# and dist/QwClicker-<version>-x64.zip (the 64-bit one), each with the program, its help
# files and the users' read-me, and a SHA-256 checksum file beside each. Prints the
# packages' paths, one a line.
#   scripts/release.sh [extra cmake arguments, e.g. -DQW_WEBSITE_URL=...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/fetch_tinyxml.sh"
for arch in x86 x64; do
  toolchain=$([ "$arch" = x86 ] && echo mingw-i686 || echo mingw-x86_64)
  build="${QW_BUILD_ROOT:-$root/build}/release-$arch"
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DQW_BUILD_TESTS=OFF "$@" >/dev/null
  cmake --build "$build" -j"$(nproc)" --target QwClicker >/dev/null
  python3 "$root/scripts/package.py" "$build" "${QW_DIST_DIR:-$root/dist}" "$arch"
done
