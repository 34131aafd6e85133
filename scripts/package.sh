#!/usr/bin/env bash
# Builds the release archives into dist/, each named with the version set in CMakeLists.txt:
#   vellumine_<version>_amd64.deb             the Debian package
#   vellumine-<version>-linux-x86_64.tar.gz   the VST 2 module, the LV2 bundle, the CLAP module, the
#                                             factory presets, an install script
#   vellumine-<version>-windows.zip           the 32-bit and 64-bit DLLs and CLAP modules, the factory
#                                             presets, a readme
#   SHA256SUMS                                over the three
# Uses the release build in build/ and the Windows builds in build-win-i686 and
# build-win-x86_64, building what is missing or out of date.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh scripts/packages.txt scripts/packages-windows.txt
jobs=$(nproc)
root=$PWD

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
for arch in i686 x86_64; do
  # The same configuration as scripts/test-windows.sh, so that neither rebuilds the other's work.
  cmake -S . -B "build-win-$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVELLUMINE_BUILD_TOOLS=ON
  cmake --build "build-win-$arch" -j"$jobs" --target vellumine vellumine_clap
done

rm -rf dist
mkdir -p dist
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The Debian package, with Depends from dpkg-shlibdeps.
(cd build && cpack -G DEB -B "$work/cpack" >/dev/null)
cp "$work/cpack/vellumine_${version}_amd64.deb" dist/

# The Linux archive: what `cmake --install` puts into lib/vst, lib/lv2, lib/clap and the
# documentation, arranged flat, with a script that copies the editions into the current user's folders.
cmake --install build --prefix "$work/stage" --strip >/dev/null
linux=vellumine-$version-linux-x86_64
mkdir -p "$work/$linux"
cp "$work/stage/lib/vst/vellumine.so" "$work/$linux/"
cp -r "$work/stage/lib/lv2/vellumine.lv2" "$work/$linux/"
cp "$work/stage/lib/clap/vellumine.clap" "$work/$linux/"
cp "$work/stage/share/doc/vellumine/"{README.md,CHANGELOG.md,copyright} "$work/$linux/"
cp -r "$work/stage/share/vellumine/presets" "$work/$linux/"
cp packaging/install.sh "$work/$linux/"
tar -C "$work" --owner=0 --group=0 -czf "dist/$linux.tar.gz" "$linux"

# The Windows archive: one folder per architecture, and a readme with Windows line ends.
windows=vellumine-$version-windows
mkdir -p "$work/$windows/32-bit" "$work/$windows/64-bit"
cp build-win-i686/vellumine.{dll,clap} "$work/$windows/32-bit/"
cp build-win-x86_64/vellumine.{dll,clap} "$work/$windows/64-bit/"
# The preset files are the same bytes on every platform; the native build generates them.
cp -r build/presets "$work/$windows/presets"
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' packaging/windows-readme.txt >"$work/$windows/README.txt"
(cd "$work" && cmake -E tar cf "$root/dist/$windows.zip" --format=zip "$windows")

(cd dist && sha256sum -- *.deb *.tar.gz *.zip >SHA256SUMS)
ls -l dist
