#!/usr/bin/env bash
# Fuzzes the reading of the online-menu document briefly with libFuzzer (Debian's
# clang, AddressSanitizer and UndefinedBehaviorSanitizer), starting from the seed
# corpus in tests/fuzz/corpus/menu, twice:
#   - against Debian's libtinyxml (libtinyxml-dev), the library native builds use;
#   - against the same Debian source package compiled with the sanitizers
#     (.deps/tinyxml, see scripts/fetch_tinyxml.sh), so that reads inside the
#     parser are checked and guide the fuzzer too. Skipped when it is not fetched.
#   scripts/test.d/native-fuzz.sh <results folder> [extra libFuzzer flags]
# A longer run: scripts/test.d/native-fuzz.sh /tmp -runs=10000000 -max_total_time=0
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
results="${1:?results folder}"
shift
out="${QW_BUILD_ROOT:-$root/build}/fuzz"
report="$results/fuzz_menu_document.json"
mkdir -p "$out" "$results"
flags=(-std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
target=("$root/tests/fuzz/menu_document_fuzz.cpp" "$root/online/menu_document.cpp")

fail() { echo "fuzz: $*"; echo '{"passed":0,"failed":1,"skipped":0}' > "$report"; exit 1; }

# run <name> [flags]: runs $out/<name>. New inputs go to the build folder's corpus;
# the seeds in the repository stay as they are. Inputs longer than the download
# reads are cut by the target itself; 1100 bytes lets the fuzzer try bodies that
# overflow the read.
run() {
  local name=$1
  shift
  mkdir -p "$out/$name-corpus" "$out/$name-artifacts"
  "$out/$name" -max_len=1100 -timeout=10 -rss_limit_mb=2048 -runs=100000 -max_total_time=20 -print_final_stats=1 \
    -artifact_prefix="$out/$name-artifacts/" "$@" "$out/$name-corpus" "$root/tests/fuzz/corpus/menu" ||
    fail "$name: a crash, hang or sanitizer report; the input is in $out/$name-artifacts"
}

clang++ "${flags[@]}" -I"$root" "${target[@]}" -ltinyxml -o "$out/menu_document_fuzz" ||
  fail "the fuzzer did not build"
run menu_document_fuzz "$@"

tinyxml="$root/.deps/tinyxml"
if [ -f "$tinyxml/tinyxmlparser.cpp" ]; then
  clang++ "${flags[@]}" -DTIXML_USE_STL -I"$tinyxml" -I"$root" "${target[@]}" \
    "$tinyxml"/{tinystr,tinyxml,tinyxmlerror,tinyxmlparser}.cpp -o "$out/menu_document_fuzz_src" ||
    fail "the fuzzer with TinyXML's sources did not build"
  run menu_document_fuzz_src "$@"
fi
echo '{"passed":1,"failed":0,"skipped":0}' > "$report"
