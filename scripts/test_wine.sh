#!/usr/bin/env bash
# The end-to-end tests, under Wine; called by test.sh inside scripts/isolated.sh.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QW_BUILD_ROOT:-$root/build}"
export QW_BUILD_DIR="$build/win32"
results="$build/results"
pattern="${1:-test_*.py}"
step() { echo; echo "== $*"; }

source "$root/scripts/wine_env.sh"
trap qw_wine_cleanup EXIT
# Never the user's own display: the tests press hot-keys and click.
QW_XVFB=1 qw_start_display || exit 1
step "Fresh Wine prefix on $DISPLAY"
qw_make_prefix "$build/test-prefix"

step "End-to-end tests (under Wine)"
python3 "$root/tests/e2e/run.py" "$pattern" "$results/e2e.json"
for hook in "$root"/scripts/test.d/wine-*.sh; do
  [ -f "$hook" ] && { step "$(basename "$hook")"; bash "$hook" "$results"; }
done
exit 0
