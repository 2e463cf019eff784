#!/usr/bin/env bash
# Builds the release package: dist/QwClicker-<version>.zip with the 32-bit program, its
# help files and the users' read-me, and a SHA-256 checksum file beside it.
#   scripts/release.sh [extra cmake arguments, e.g. -DQW_WEBSITE_URL=...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QW_BUILD_ROOT:-$root/build}/release"
bash "$root/scripts/setup.sh"
bash "$root/scripts/fetch_tinyxml.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DQW_BUILD_TESTS=OFF "$@" >/dev/null
cmake --build "$build" -j"$(nproc)" --target QwClicker
python3 "$root/scripts/package.py" "$build" "${QW_DIST_DIR:-$root/dist}"
