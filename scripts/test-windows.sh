#!/usr/bin/env bash
# Cross-builds the plug-in, its tests and plughost for 32-bit and 64-bit Windows, runs the
# tests under Wine and validates each DLL with `plughost check` under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh scripts/packages-windows.txt
jobs=$(nproc)
for arch in i686 x86_64; do
  dir=build-win-$arch
  cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVELLUMINE_BUILD_TOOLS=ON
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure --timeout 600
  # Wine does not translate Unix paths: run in the build directory with relative names.
  (cd "$dir" && ../scripts/wine-run.sh plughost.exe check vellumine.dll) | tr -d '\r' | tee "$dir/check.log"
  # The exit status is already checked (pipefail); the summary line must also say clean.
  grep -q '^[0-9]* passed, 0 failed' "$dir/check.log"
done
