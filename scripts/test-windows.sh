#!/usr/bin/env bash
# Cross-builds the plug-in and its tests for 32-bit and 64-bit Windows and runs the tests
# under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh scripts/packages-windows.txt
jobs=$(nproc)
for arch in i686 x86_64; do
  dir=build-win-$arch
  cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVELLUMINE_BUILD_TOOLS=OFF
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure --timeout 600
done
