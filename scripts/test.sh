#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test layer:
#   1. native unit tests (GoogleTest, sanitizers) of the logic that needs no Win32, and a brief fuzz run;
#   2. end-to-end tests that drive the real program under Wine on a private Xvfb: the
#      64-bit program on every machine, then the 32-bit one where the kernel runs
#      32-bit programs (elsewhere that run is reported as skipped, with the reason).
# Ends with one summary line; the exit status is non-zero on any failure.
#   scripts/test.sh [end-to-end test file pattern, default test_*.py]
#   QW_NO_32BIT=1 scripts/test.sh    # as on a kernel that runs no 32-bit programs
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# QW_BUILD_ROOT lets several checkouts' worth of builds live side by side.
build="${QW_BUILD_ROOT:-$root/build}"
results="$build/results"
pattern="${1:-test_*.py}"

step() { echo; echo "== $*"; }

step "Installing what is missing"
bash "$root/scripts/setup.sh" || exit 1
bash "$root/scripts/fetch_tinyxml.sh" || exit 1
rm -rf "$results" && mkdir -p "$results"

step "Native unit tests"
if cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null &&
   cmake --build "$build/native" -j"$(nproc)"; then
  (cd "$build/native" && ctest --output-on-failure)
  for f in "$build"/native/results/*.xml; do [ -f "$f" ] && cp "$f" "$results/"; done
else
  echo '{"passed":0,"failed":1,"skipped":0}' > "$results/native_build.json"
fi
for hook in "$root"/scripts/test.d/native-*.sh; do
  [ -f "$hook" ] && { step "$(basename "$hook")"; bash "$hook" "$results"; }
done

step "Windows build"
# The tests' content server answers for this host name inside their namespace.
if ! bash "$root/scripts/build.sh" -DQW_CONTENT_HOST=qw-content.test; then
  echo '{"passed":0,"failed":1,"skipped":0}' > "$results/windows_build.json"
  python3 "$root/scripts/summary.py" "$results"
  exit 1
fi

step "Release packages"
export QW_DIST_DIR="$build/dist"
if ! bash "$root/scripts/release.sh"; then
  echo '{"passed":0,"failed":1,"skipped":0}' > "$results/release_build.json"
fi

# Everything under Wine runs in a namespace of its own (scripts/isolated.sh).
source "$root/scripts/wine_env.sh"
for arch in x64 x86; do
  if [ "$arch" = x86 ] && reason=$(qw_no_32bit_reason) && [ -n "$reason" ]; then
    step "End-to-end tests of the x86 program: skipped, $reason"
    echo "{\"passed\":0,\"failed\":0,\"skipped\":1,\"why\":\"$reason\"}" > "$results/e2e-x86.json"
    continue
  fi
  # Counted as failed unless the run gets as far as writing its own counts.
  echo '{"passed":0,"failed":1,"skipped":0}' > "$results/e2e-$arch.json"
  bash "$root/scripts/isolated.sh" bash "$root/scripts/test_wine.sh" "$arch" "$pattern"
done

echo
python3 "$root/scripts/summary.py" "$results"
