#!/usr/bin/env bash
# Runs every test: in a release build, again in a build with AddressSanitizer and
# UndefinedBehaviorSanitizer, the engine's thread tests under ThreadSanitizer, the clang build and
# the fuzzers, the Windows builds under Wine, then the release archives as users install them.
# Installs missing packages first. With --quick, only the release build and its tests: the
# developer's tier between commits; CI runs everything.
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
  "" | --quick) ;;
  *) echo "usage: scripts/test.sh [--quick]" >&2; exit 2 ;;
esac
scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 600
[ "${1:-}" = --quick ] && exit 0

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUMINE_SANITIZE=ON
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 600

# The engine's thread tests under ThreadSanitizer: any report fails the run.
scripts/test-tsan.sh

# The clang build with -Werror, its suite under the sanitizers, and each fuzzer for a minute.
scripts/test-fuzz.sh

scripts/test-windows.sh
scripts/test-arm.sh

# The Debian package installed, used by hosts and removed; the Windows and Linux archives
# unpacked and their plug-ins checked.
scripts/test-package.sh
