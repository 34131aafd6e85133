#!/usr/bin/env bash
# Cross-builds the plug-in, its tests and plughost for 32-bit and 64-bit Windows, checks each
# DLL, CLAP module and VST 3 module as a file, and runs the tests under Wine (`plughost check`
# on each DLL, CLAP module and VST 3 bundle runs in scripts/test-package.sh, on the files as the
# release archive holds them).
# A machine that cannot execute 32-bit x86 code at all still builds and checks the 32-bit
# DLL; only its tests are left out, with one line that says so.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh scripts/packages-windows.txt
jobs=$(nproc)

source scripts/machine.sh

for arch in i686 x86_64; do
  dir=build-win-$arch
  bits=64
  [ "$arch" = i686 ] && bits=32
  cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVELLUMINE_BUILD_TOOLS=ON
  cmake --build "$dir" -j"$jobs"
  scripts/check-pe.sh "$dir/vellumine.dll" "$bits"
  scripts/check-pe.sh "$dir/vellumine.clap" "$bits" clap_entry
  vst3_folder=x86_64-win
  [ "$bits" = 32 ] && vst3_folder=x86-win
  scripts/check-pe.sh "$dir/vellumine.vst3/Contents/$vst3_folder/vellumine.vst3" "$bits" "GetPluginFactory InitDll ExitDll"
  if [ "$bits" = 32 ] && ! can_execute_32_bit; then
    echo "SKIPPED: 32-bit Windows tests not run: this machine cannot execute 32-bit x86 programs" \
      "($probe_output); the 32-bit DLL, CLAP module, VST 3 bundle and plughost.exe were built and the DLL, CLAP and VST 3 modules checked as files"
    continue
  fi
  # `plughost check` on the DLL, the CLAP module and the VST 3 bundle runs in
  # scripts/test-package.sh, on the copies in the release archive: the same files, checked once.
  ctest --test-dir "$dir" --output-on-failure --timeout 600 -E '^plughost\.check\.vellumine(_clap|_vst3)?$'
done
