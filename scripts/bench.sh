#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine in the tests' namespace and prints their
# figures: every bench/*_bench.py (start-up and footprint against a bare dialog program
# with the same manifest; click timing against a plain click loop). The release build
# of the architecture the machine runs (the 32-bit one where the kernel runs 32-bit
# programs, else the 64-bit one; QW_BENCH_ARCH=x64 chooses) is the program measured.
#   scripts/bench.sh [benchmark file pattern, default *_bench.py] [arguments for each benchmark]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QW_BUILD_ROOT:-$root/build}"
pattern="${1:-*_bench.py}"
source "$root/scripts/wine_env.sh"
if [ "${QW_ISOLATED:-}" != 1 ]; then
  bash "$root/scripts/setup.sh"
  bash "$root/scripts/build.sh" -DQW_CONTENT_HOST=qw-content.test >/dev/null
  QW_DIST_DIR="$build/dist" bash "$root/scripts/release.sh" >/dev/null
  exec bash "$root/scripts/isolated.sh" bash "$0" "$@"
fi
arch=${QW_BENCH_ARCH:-$(qw_runnable_archs | cut -d' ' -f1)}
qw_use_arch "$arch"
export QW_BENCH_EXE="$build/release-$arch/QwClicker.exe"
echo "Measuring the $arch program under $("$QW_WINE" --version)"
trap qw_wine_cleanup EXIT
QW_XVFB=1 qw_start_display
qw_make_prefix "$build/bench-prefix-$arch"
for bench in "$root"/bench/$pattern; do
  echo "== $(basename "$bench")"
  python3 "$bench" "${@:2}"
done
