#!/usr/bin/env bash
# The clang build: the whole project (plug-in, tools, tests) built with clang and -Werror
# under AddressSanitizer and UndefinedBehaviorSanitizer, with the libFuzzer targets. Runs its
# test suite, then each fuzzer for a fixed time (VELLUMINE_FUZZ_SECONDS, default 60; as many at
# once as there are cores) from a scratch copy of its seed corpus. Fails on any warning, failed
# test, finding or crash; an input that made a fuzzer fail is kept in build-clang/fuzz-findings
# and shown in hex.
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

# Runs one fuzzer and prints libFuzzer's summary (executions, coverage as cov: edges and ft:
# features, corpus and speed), or on a failure the end of its log and the input that caused it.
run_fuzzer() {
  local fuzzer=$1 log="$scratch/$1.log" input
  cp -r "tests/fuzz/corpus/$fuzzer" "$scratch/$fuzzer"
  echo "== $fuzzer: ${seconds} s"
  if ! "$build/fuzz/$fuzzer" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
      -artifact_prefix="$findings/$fuzzer-" "$scratch/$fuzzer" >"$log" 2>&1; then
    tail -n 60 "$log"
    for input in "$findings/$fuzzer"-*; do
      [ -f "$input" ] && { echo "input $input:"; od -A d -t x1 "$input" | head -n 40; }
    done
    echo "$fuzzer: FAILED"
    return 1
  fi
  grep -E '^(#[0-9]+[[:space:]]+DONE|stat::)' "$log"
}

# As many fuzzers at once as there are cores; each keeps its full time, and their reports
# are printed in order.
fuzzers=(plugin_fuzzer typed_value_fuzzer automation_fuzzer preset_file_fuzzer)
failed=0
for ((first = 0; first < ${#fuzzers[@]}; first += jobs)); do
  batch=("${fuzzers[@]:first:jobs}")
  pids=()
  for fuzzer in "${batch[@]}"; do
    run_fuzzer "$fuzzer" >"$scratch/$fuzzer.report" 2>&1 &
    pids+=($!)
  done
  for i in "${!batch[@]}"; do
    wait "${pids[$i]}" || failed=1
    cat "$scratch/${batch[$i]}.report"
  done
done
exit "$failed"
