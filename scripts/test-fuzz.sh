#!/usr/bin/env bash
# The clang build: the whole project (plug-in, tools, tests) built with clang and -Werror
# under AddressSanitizer and UndefinedBehaviorSanitizer, with the libFuzzer targets. Runs its
# test suite, then each fuzzer for a fixed time (VELLUMINE_FUZZ_SECONDS, default 60) from a
# scratch copy of its seed corpus. Fails on any warning, failed test, finding or crash; an
# input that made a fuzzer fail is kept in build-clang/fuzz-findings and shown in hex.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
seconds=${VELLUMINE_FUZZ_SECONDS:-60}
jobs=$(nproc)
build=build-clang

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUMINE_FUZZ=ON \
  "${launcher[@]}"
cmake --build "$build" -j"$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 600

# The corpus grows while a fuzzer runs: it works on a copy, so the checkout stays as it is.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
findings="$PWD/$build/fuzz-findings"
mkdir -p "$findings"
for fuzzer in plugin_fuzzer typed_value_fuzzer automation_fuzzer preset_file_fuzzer; do
  cp -r "tests/fuzz/corpus/$fuzzer" "$scratch/$fuzzer"
  log="$scratch/$fuzzer.log"
  echo "== $fuzzer: ${seconds} s"
  if ! "$build/fuzz/$fuzzer" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
      -artifact_prefix="$findings/$fuzzer-" "$scratch/$fuzzer" >"$log" 2>&1; then
    tail -n 60 "$log"
    for input in "$findings/$fuzzer"-*; do
      [ -f "$input" ] && { echo "input $input:"; od -A d -t x1 "$input" | head -n 40; }
    done
    echo "$fuzzer: FAILED"
    exit 1
  fi
  # libFuzzer's summary: executions, coverage (cov: edges, ft: features), corpus and speed.
  grep -E '^(#[0-9]+[[:space:]]+DONE|stat::)' "$log"
done
