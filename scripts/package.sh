#!/usr/bin/env bash
# Builds the release archives into dist/, each named with the version set in CMakeLists.txt:
#   vellumine_<version>_amd64.deb              the Debian package
#   vellumine_<version>_arm64.deb              the same for 64-bit ARM
#   vellumine-<version>-linux-x86_64.tar.gz    the VST 2 module, the LV2 bundle, the CLAP module, the
#                                              factory presets, an install script
#   vellumine-<version>-linux-aarch64.tar.gz   the same for 64-bit ARM
#   vellumine-<version>-windows.zip            the 32-bit and 64-bit DLLs and CLAP modules, the VST 3
#                                              bundle with both, the factory presets, a readme, the
#                                              copyright file
#   SHA256SUMS                                 over all of them
# Uses the release build in build/, the Windows builds in build-win-i686 and build-win-x86_64
# and the 64-bit ARM build in build-aarch64, building what is missing or out of date. The ARM
# build writes its LV2 bundle's Turtle with a program it runs under qemu; where qemu cannot run
# 64-bit ARM programs, the two ARM archives are left out with one line that says so.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh scripts/packages.txt scripts/packages-windows.txt scripts/packages-aarch64.txt
source scripts/machine.sh
jobs=$(nproc)
root=$PWD

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
for arch in i686 x86_64; do
  # The same configuration as scripts/test-windows.sh, so that neither rebuilds the other's work.
  cmake -S . -B "build-win-$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVELLUMINE_BUILD_TOOLS=ON
  cmake --build "build-win-$arch" -j"$jobs" --target vellumine vellumine_clap vellumine_vst3
done
arm=0
if has_arm64_libraries && can_run_aarch64; then
  arm=1
  # The same configuration as scripts/test-arm.sh; the installation takes the preset files
  # that the native build wrote.
  cmake -S . -B build-aarch64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-aarch64-linux-gnu.cmake \
    -DCMAKE_BUILD_TYPE=Release -DVELLUMINE_NATIVE_PRESET_DIR="$root/build/presets"
  cmake --build build-aarch64 -j"$jobs" --target vellumine vellumine_lv2_bundle vellumine_clap vellumine_vst3 vellumine_debian_changelog
else
  echo "SKIPPED: the 64-bit ARM archives not built: this machine cannot build or run 64-bit ARM" \
    "programs ($probe_output), and the ARM build writes its LV2 Turtle with one"
fi

rm -rf dist
mkdir -p dist
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The Debian package and the Linux archive of one build: BUILD_DIR DEBIAN_ARCH MACHINE.
linux_archives() {
  local build=$1 debian_arch=$2 machine=$3
  # The Debian package, with Depends from dpkg-shlibdeps.
  (cd "$build" && cpack -G DEB -B "$work/cpack-$debian_arch" >/dev/null)
  cp "$work/cpack-$debian_arch/vellumine_${version}_$debian_arch.deb" dist/

  # The Linux archive: what `cmake --install` puts into lib/vst, lib/lv2, lib/clap and the
  # documentation, arranged flat, with a script that copies the editions into the current
  # user's folders.
  local stage=$work/stage-$debian_arch linux=vellumine-$version-linux-$machine
  cmake --install "$build" --prefix "$stage" --strip >/dev/null
  mkdir -p "$work/$linux"
  cp "$stage/lib/vst/vellumine.so" "$work/$linux/"
  cp -r "$stage/lib/lv2/vellumine.lv2" "$work/$linux/"
  cp "$stage/lib/clap/vellumine.clap" "$work/$linux/"
  cp -r "$stage/lib/vst3/vellumine.vst3" "$work/$linux/"
  cp -r "$stage/share/doc/vellumine/"{README.md,CHANGELOG.md,copyright,docs} "$work/$linux/"
  cp -r "$stage/share/vellumine/presets" "$work/$linux/"
  cp packaging/install.sh "$work/$linux/"
  tar -C "$work" --owner=0 --group=0 -czf "dist/$linux.tar.gz" "$linux"
}
linux_archives build amd64 x86_64
if [ "$arm" = 1 ]; then linux_archives build-aarch64 arm64 aarch64; fi

# The Windows archive: one folder per architecture, and a readme with Windows line ends.
windows=vellumine-$version-windows
mkdir -p "$work/$windows/32-bit" "$work/$windows/64-bit"
cp build-win-i686/vellumine.{dll,clap} "$work/$windows/32-bit/"
cp build-win-x86_64/vellumine.{dll,clap} "$work/$windows/64-bit/"
# One VST 3 bundle for both: each host loads the module of its own architecture from it.
contents=$work/$windows/vellumine.vst3/Contents
mkdir -p "$contents/x86-win" "$contents/x86_64-win"
cp build-win-i686/vellumine.vst3/Contents/x86-win/vellumine.vst3 "$contents/x86-win/"
cp build-win-x86_64/vellumine.vst3/Contents/x86_64-win/vellumine.vst3 "$contents/x86_64-win/"
# The preset files are the same bytes on every platform; the native build generates them.
cp -r build/presets "$work/$windows/presets"
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' packaging/windows-readme.txt >"$work/$windows/README.txt"
# The licences of the code and of the fonts its art and text are drawn from travel with the DLLs.
sed -e 's/$/\r/' packaging/copyright >"$work/$windows/COPYRIGHT.txt"
(cd "$work" && cmake -E tar cf "$root/dist/$windows.zip" --format=zip "$windows")

(cd dist && sha256sum -- *.deb *.tar.gz *.zip >SHA256SUMS)
ls -l dist
