#!/usr/bin/env bash
# The end-to-end tests of one architecture's program, under Wine; called by test.sh
# inside scripts/isolated.sh.
#   scripts/test_wine.sh <x86|x64> [test file pattern]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$1
pattern="${2:-test_*.py}"
results="${QW_BUILD_ROOT:-$root/build}/results"
step() { echo; echo "== $*"; }

source "$root/scripts/wine_env.sh"
qw_use_arch "$arch" || exit 1
trap qw_wine_cleanup EXIT
# Never the user's own display: the tests press hot-keys and click.
QW_XVFB=1 qw_start_display || exit 1
step "Fresh $WINEARCH Wine prefix on $DISPLAY"
qw_make_prefix "${QW_BUILD_ROOT:-$root/build}/test-prefix-$arch"

step "End-to-end tests of the $arch program (under Wine)"
python3 "$root/tests/e2e/run.py" "$pattern" "$results/e2e-$arch.json"
for hook in "$root"/scripts/test.d/wine-*.sh; do
  [ -f "$hook" ] && { step "$(basename "$hook")"; bash "$hook" "$results"; }
done
exit 0
