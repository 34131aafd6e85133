#!/usr/bin/env bash
# Builds the engine's thread tests with ThreadSanitizer in build-tsan and runs them; any
# report fails the run (the sanitizer stops the test with a non-zero exit at the first one).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUMINE_TSAN=ON \
  -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc "${launcher[@]}"
cmake --build build-tsan -j"$jobs" --target concurrency_tests core_tests vst2_tests

export TSAN_OPTIONS="halt_on_error=1 abort_on_error=0 exitcode=66 second_deadlock_stack=1"
build-tsan/tests/concurrency_tests
build-tsan/tests/core_tests --gtest_brief=1
build-tsan/tests/vst2_tests --gtest_brief=1
