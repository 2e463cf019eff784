#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test layer:
#   1. native unit tests (GoogleTest, sanitizers) of the logic that needs no Win32, and a brief fuzz run;
#   2. end-to-end tests that drive the real program under Wine on a private Xvfb.
# Ends with one summary line; the exit status is non-zero on any failure.
#   scripts/test.sh [end-to-end test file pattern, default test_*.py]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# QW_BUILD_ROOT lets several checkouts' worth of builds live side by side.
build="${QW_BUILD_ROOT:-$root/build}"
export QW_BUILD_DIR="$build/win32"
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
# The tests' content server answers for this host name inside their namespace; a
# second copy of the program reaches it over https.
if ! bash "$root/scripts/build.sh" -DQW_CONTENT_HOST=qw-content.test ||
   ! QW_BUILD_ROOT="$build/https" bash "$root/scripts/build.sh" -DQW_CONTENT_HOST=qw-content.test \
     -DQW_CONTENT_SCHEME=https -DQW_BUILD_TESTS=OFF; then
  echo '{"passed":0,"failed":1,"skipped":0}' > "$results/win32_build.json"
  python3 "$root/scripts/summary.py" "$results"
  exit 1
fi

step "Release package"
if QW_DIST_DIR="$build/dist" bash "$root/scripts/release.sh" | tee "$build/release.log"; then
  QW_RELEASE_ZIP=$(tail -n 1 "$build/release.log")
  export QW_RELEASE_ZIP
else
  echo '{"passed":0,"failed":1,"skipped":0}' > "$results/release_build.json"
fi

# Everything under Wine runs in a namespace of its own (scripts/isolated.sh).
bash "$root/scripts/isolated.sh" bash "$root/scripts/test_wine.sh" "$pattern"

echo
python3 "$root/scripts/summary.py" "$results"
