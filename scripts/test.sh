#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test layer:
#   1. native unit tests (GoogleTest, sanitizers) of the logic that needs no Win32;
#   2. Win32 unit tests, cross-built and run under Wine through CTest;
#   3. end-to-end tests that drive the real program under Wine on a private Xvfb.
# Ends with one summary line; the exit status is non-zero on any failure.
#   scripts/test.sh [end-to-end test file pattern, default test_*.py]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
results="$root/build/results"
pattern="${1:-test_*.py}"

step() { echo; echo "== $*"; }

step "Installing what is missing"
bash "$root/scripts/setup.sh" || exit 1
bash "$root/scripts/fetch_tinyxml.sh" || exit 1
rm -rf "$results" && mkdir -p "$results"

step "Native unit tests"
if cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null &&
   cmake --build "$root/build/native" -j"$(nproc)"; then
  (cd "$root/build/native" && ctest --output-on-failure)
  for f in "$root"/build/native/results/*.xml; do [ -f "$f" ] && cp "$f" "$results/"; done
else
  echo '{"passed":0,"failed":1,"skipped":0}' > "$results/native_build.json"
fi
for hook in "$root"/scripts/test.d/native-*.sh; do
  [ -f "$hook" ] && { step "$(basename "$hook")"; bash "$hook" "$results"; }
done

step "Windows build"
if ! bash "$root/scripts/build.sh"; then
  echo '{"passed":0,"failed":1,"skipped":0}' > "$results/win32_build.json"
  python3 "$root/scripts/summary.py" "$results"
  exit 1
fi

source "$root/scripts/wine_env.sh"
trap qw_wine_cleanup EXIT
# Never the user's own display: the tests press hot-keys and click.
QW_XVFB=1 qw_start_display || exit 1
step "Fresh Wine prefix on $DISPLAY"
qw_make_prefix "$root/build/test-prefix"

step "Win32 unit tests (under Wine)"
(cd "$root/build/win32" && ctest --output-on-failure)
for f in "$root"/build/win32/results/*.xml; do [ -f "$f" ] && cp "$f" "$results/"; done

step "End-to-end tests (under Wine)"
python3 "$root/tests/e2e/run.py" "$pattern" --results "$results/e2e.json"
for hook in "$root"/scripts/test.d/wine-*.sh; do
  [ -f "$hook" ] && { step "$(basename "$hook")"; bash "$hook" "$results"; }
done

echo
python3 "$root/scripts/summary.py" "$results"
