#!/usr/bin/env bash
# Builds the release archives (scripts/package.sh) and uses each one as a user would:
# - the Debian package: lintian reports no error; installed with apt-get, qtractor's scanner
#   loads /usr/lib/vst/vellumine.so and /usr/lib/clap/vellumine.clap, lv2ls finds the bundle on the system path and lv2info
#   shows its 26 ports, and plughost renders the same samples through the installed module as
#   through the build tree; removed with apt-get, it leaves no file behind;
# - the Windows zip: `plughost check` on each DLL and CLAP module in the unpacked folders, under
#   Wine (the 32-bit ones where the machine can execute 32-bit programs);
# - the Linux tarball: its install script into a temporary home, where hosts find the
#   editions, and out again.
# Leaves the machine as it found it: the package is removed even when a step fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/machine.sh
scripts/package.sh
version=$(build/plughost --version | sed 's/^plughost //')
deb=vellumine_${version}_amd64.deb
linux=vellumine-$version-linux-x86_64
windows=vellumine-$version-windows
uri=urn:quorvane:vellumine
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

work=$(mktemp -d)
installed_here=0
cleanup() {
  [ "$installed_here" = 1 ] && $sudo apt-get purge -y -qq vellumine >/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failed=0
fail() { echo "test-package: FAILED: $*" >&2; failed=1; }
is_installed() { [[ "$(dpkg-query -W -f='${Status}' vellumine 2>/dev/null || true)" == *" ok installed" ]]; }

echo "== the archives, named by plughost's version $version"
(cd dist && sha256sum -c SHA256SUMS)
for file in "$deb" "$linux.tar.gz" "$windows.zip"; do
  grep -q " $file\$" dist/SHA256SUMS || fail "SHA256SUMS does not list $file"
done

echo "== the Debian package"
dpkg-deb -f "dist/$deb" Package Version Architecture Section Depends
[ "$(dpkg-deb -f "dist/$deb" Version)" = "$version" ] || fail "the package's version is not $version"
[ "$(dpkg-deb -f "dist/$deb" Section)" = sound ] || fail "the package's section is not sound"
depends=$(dpkg-deb -f "dist/$deb" Depends)
grep -q 'fonts-liberation' <<<"$depends" || fail "the package does not depend on its font"
grep -q 'libc6' <<<"$depends" || fail "the package has no Depends from dpkg-shlibdeps"
echo "lintian:"
lintian --fail-on error "dist/$deb" || fail "lintian reports errors"

if is_installed; then
  echo "test-package: vellumine is installed on this machine already; remove it first" >&2
  exit 1
fi
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "./dist/$deb" >/dev/null
installed_here=1
mapfile -t package_files < <(dpkg -L vellumine)

tools/hosts/qtractor-scan.sh /usr/lib/vst/vellumine.so || fail "qtractor's scanner on the installed module"
tools/hosts/qtractor-scan-clap.sh /usr/lib/clap/vellumine.clap || fail "qtractor's scanner on the installed CLAP module"
# Outputs are read whole: grep -q would stop reading early and fail the pipeline.
listed=$(LV2_PATH=/usr/lib/lv2 lv2ls 2>/dev/null || true)
grep -qx "$uri" <<<"$listed" || fail "lv2ls does not list $uri from /usr/lib/lv2"
info=$(LV2_PATH=/usr/lib/lv2 lv2info "$uri" 2>/dev/null || true)
grep -q "Bundle: *file:///usr/lib/lv2/vellumine.lv2/" <<<"$info" || fail "lv2info does not show the bundle in /usr/lib/lv2"
ports=$(grep -c '^[[:space:]]*Port [0-9]*:' <<<"$info" || true)
echo "lv2info: $uri in /usr/lib/lv2/vellumine.lv2/ with $ports ports"
[ "$ports" = 26 ] || fail "lv2info shows $ports ports, expected 26"
for module in /usr/lib/vst/vellumine.so build/vellumine.so; do
  build/plughost render "$module" -o "$work/$(basename "$(dirname "$module")").wav" \
    --automate scripts/demo-setting.txt >/dev/null
done
cmp "$work/vst.wav" "$work/build.wav" || fail "the installed module renders other samples than the build's"
echo "plughost render: the installed module gives the build tree's samples"

$sudo apt-get remove -y -qq vellumine >/dev/null
installed_here=0
is_installed && fail "apt-get remove left the package installed"
for file in "${package_files[@]}"; do
  # Folders such as /usr/lib/vst are shared with other packages; our own go with the files.
  if [ -e "$file" ] && { [ ! -d "$file" ] || [[ "$file" == */vellumine* ]]; }; then
    fail "$file is left after apt-get remove"
  fi
done
echo "apt-get remove: no file of the package is left"
# CPack adds an ldconfig call to the maintainer scripts (harmless for plug-ins without a
# soname); dpkg keeps those scripts until the package is purged.
$sudo apt-get purge -y -qq vellumine >/dev/null
[ -z "$(dpkg-query -W -f='${Status}' vellumine 2>/dev/null || true)" ] || fail "dpkg still knows the package after purging it"

echo "== the Windows archive"
cmake -E chdir "$work" cmake -E tar xf "$root/dist/$windows.zip"
diff -r build/presets "$work/$windows/presets" >/dev/null || fail "the Windows archive's presets differ from the build's"
for arch in i686 x86_64; do
  folder=64-bit
  [ "$arch" = i686 ] && folder=32-bit
  if [ "$arch" = i686 ] && ! can_execute_32_bit; then
    echo "SKIPPED: plughost check of $windows/$folder/vellumine.dll and vellumine.clap not run: this machine cannot" \
      "execute 32-bit x86 programs (/usr/lib/wine/wine --version: ${probe_output##*: })"
    continue
  fi
  cmake --build "build-win-$arch" --target plughost >/dev/null
  for module in vellumine.dll vellumine.clap; do
    # Wine does not translate Unix paths: the check runs in the module's folder on its name.
    summary=$(cd "$work/$windows/$folder" &&
      VELLUMINE_WINEPREFIX="$root/build-win-$arch/.wine" "$root/scripts/wine-run.sh" \
        "$root/build-win-$arch/plughost.exe" check "$module" | tr -d '\r' | tail -n 1) ||
      fail "plughost check of $windows/$folder/$module"
    echo "$windows/$folder/$module: $summary"
    grep -q '^[0-9]* passed, 0 failed' <<<"$summary" || fail "plughost check of $windows/$folder/$module: $summary"
  done
done

echo "== the Linux archive"
tar -C "$work" -xzf "dist/$linux.tar.gz"
home=$work/home
mkdir -p "$home"
diff -r build/presets "$work/$linux/presets" >/dev/null || fail "the Linux archive's presets differ from the build's"
HOME=$home "$work/$linux/install.sh"
tools/hosts/qtractor-scan.sh "$home/.vst/vellumine.so" || fail "qtractor's scanner on ~/.vst/vellumine.so"
tools/hosts/qtractor-scan-clap.sh "$home/.clap/vellumine.clap" || fail "qtractor's scanner on ~/.clap/vellumine.clap"
# Without LV2_PATH, hosts search ~/.lv2 first.
info=$(env -u LV2_PATH HOME="$home" lv2info "$uri" 2>/dev/null || true)
grep -q "Bundle: *file://$home/.lv2/vellumine.lv2/" <<<"$info" || fail "lv2info does not find the bundle in ~/.lv2"
echo "lv2info: $uri found in ~/.lv2/vellumine.lv2/"
HOME=$home "$work/$linux/install.sh" --remove
[ -z "$(find "$home" -name 'vellumine*')" ] || fail "install.sh --remove left files in the home folder"

[ "$failed" -eq 0 ] && echo "test-package: all archives work as installed"
exit "$failed"
