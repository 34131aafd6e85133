#!/usr/bin/env bash
# Builds the release archives (scripts/package.sh) and uses each one as a user would:
# - the Debian package: lintian reports no error; installed with apt-get, qtractor's scanner
#   loads /usr/lib/vst/vellumine.so and /usr/lib/clap/vellumine.clap, plughost renders the VST 3
#   bundle in /usr/lib/vst3 as the build tree's, lv2ls finds the bundle on
#   the system path and lv2info
#   shows its 33 ports, and plughost renders the same samples through the installed module as
#   through the build tree; removed with apt-get, it leaves no file behind;
# - the Windows zip: `plughost check` on each DLL and CLAP module in the unpacked folders, and the
#   VST 3 bundle's two modules checked as files, listed by `plughost info` and rendering the
#   DLL's samples, under Wine (the 32-bit ones where the machine can execute 32-bit programs);
# - the Linux tarball: its install script into a temporary home, where hosts find the
#   editions, and out again;
# - the 64-bit ARM package and tarball, without installing them: the same files as the x86-64
#   ones, every binary an AArch64 one, every plug-in binary needing nothing newer than glibc
#   2.17 and the LV2 plug-in's binary no libX11, lintian, lv2_validate on the bundle's Turtle, and under qemu the bundle's plug-in
#   (run by our own LV2 host) and the VST 2 module giving the x86-64 archive's samples. Where
#   qemu cannot run them, scripts/package.sh has said so and built no ARM archive.
# Leaves the machine as it found it: the package is removed even when a step fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/machine.sh
source scripts/wav.sh
scripts/package.sh
version=$(build/plughost --version | sed 's/^plughost //')
deb=vellumine_${version}_amd64.deb
linux=vellumine-$version-linux-x86_64
windows=vellumine-$version-windows
deb_arm=vellumine_${version}_arm64.deb
linux_arm=vellumine-$version-linux-aarch64
arm=0
has_arm64_libraries && can_run_aarch64 && arm=1
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
archives=("$deb" "$linux.tar.gz" "$windows.zip")
[ "$arm" = 1 ] && archives+=("$deb_arm" "$linux_arm.tar.gz")
for file in "${archives[@]}"; do
  grep -q " $file\$" dist/SHA256SUMS || fail "SHA256SUMS does not list $file"
done

echo "== the Debian package"
dpkg-deb -f "dist/$deb" Package Version Architecture Section Depends
[ "$(dpkg-deb -f "dist/$deb" Version)" = "$version" ] || fail "the package's version is not $version"
[ "$(dpkg-deb -f "dist/$deb" Section)" = sound ] || fail "the package's section is not sound"
depends=$(dpkg-deb -f "dist/$deb" Depends)
# The editor's text comes from glyphs built into the binaries: no font package, no FreeType,
# and the fonts' licence goes along in the copyright file of the package and of each archive.
! grep -q 'fonts-\|libfreetype' <<<"$depends" || fail "the package depends on a font or on FreeType"
dpkg-deb --fsys-tarfile "dist/$deb" | tar -xO ./usr/share/doc/vellumine/copyright | grep -q 'SIL OPEN FONT LICENSE Version 1.1' ||
  fail "the package's copyright file lacks the fonts' licence"
tar -xzOf "dist/$linux.tar.gz" "$linux/copyright" | grep -q 'SIL OPEN FONT LICENSE Version 1.1' ||
  fail "$linux.tar.gz's copyright file lacks the fonts' licence"
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
[ "$ports" = 33 ] || fail "lv2info shows $ports ports, expected 33"
for module in /usr/lib/vst/vellumine.so build/vellumine.so; do
  build/plughost render "$module" -o "$work/$(basename "$(dirname "$module")").wav" \
    --automate scripts/demo-setting.txt >/dev/null
done
same_samples "$work/vst.wav" "$work/build.wav" || fail "the installed module renders other samples than the build's"
echo "plughost render: the installed module gives the build tree's samples"
for bundle in /usr/lib/vst3/vellumine.vst3 build/vellumine.vst3; do
  # By index, normalized: a 375 ms echo at feedback 0.5 beside the dry sound.
  build/plughost render "$bundle" -o "$work/vst3-$(basename "$(dirname "$bundle")").wav" \
    --set 10=1 --set 11=0.0375 --set 12=0.5 >/dev/null || fail "plughost render of $bundle"
done
same_samples "$work/vst3-vst3.wav" "$work/vst3-build.wav" || fail "the installed VST 3 bundle renders other samples than the build's"
echo "plughost render: the installed VST 3 bundle gives the build tree's samples"

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
grep -q 'SIL OPEN FONT LICENSE Version 1.1' "$work/$windows/COPYRIGHT.txt" || fail "$windows.zip's COPYRIGHT.txt lacks the fonts' licence"
# The VST 3 bundle: each architecture's module in its folder, nothing else, checked as files.
vst3_files=$(cd "$work/$windows/vellumine.vst3" && find . -type f | LC_ALL=C sort | tr '\n' ' ')
[ "$vst3_files" = "./Contents/x86-win/vellumine.vst3 ./Contents/x86_64-win/vellumine.vst3 " ] ||
  fail "$windows/vellumine.vst3 holds '$vst3_files', expected the modules in Contents/x86-win and Contents/x86_64-win"
for module in 32:x86-win 64:x86_64-win; do
  scripts/check-pe.sh "$work/$windows/vellumine.vst3/Contents/${module#*:}/vellumine.vst3" "${module%:*}" \
    "GetPluginFactory InitDll ExitDll" || fail "$windows/vellumine.vst3/Contents/${module#*:}/vellumine.vst3"
done
# plughost of the architecture $arch run in the archive's top folder.
wine_plughost() {
  (cd "$work/$windows" && VELLUMINE_WINEPREFIX="$root/build-win-$arch/.wine" "$root/scripts/wine-run.sh" \
    "$root/build-win-$arch/plughost.exe" "$@" | tr -d '\r')
}
for arch in i686 x86_64; do
  folder=64-bit
  [ "$arch" = i686 ] && folder=32-bit
  if [ "$arch" = i686 ] && ! can_execute_32_bit; then
    echo "SKIPPED: plughost check of $windows/$folder/vellumine.dll and vellumine.clap, and the 32-bit host's info," \
      "check and render of $windows/vellumine.vst3, not run: this machine cannot execute 32-bit x86 programs ($probe_output)"
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
  # The bundle as the archive holds it, where this architecture's plughost takes its own module:
  # the class, its check, and the samples of the DLL beside it.
  info=$(wine_plughost info vellumine.vst3) || fail "plughost info of $windows/vellumine.vst3 in a $folder host"
  grep -q 'Fx|Delay, Quorvane' <<<"$info" || fail "plughost info of $windows/vellumine.vst3 in a $folder host: $info"
  summary=$(wine_plughost check vellumine.vst3 | tail -n 1) || fail "plughost check of $windows/vellumine.vst3 in a $folder host"
  echo "$windows/vellumine.vst3 in a $folder host: $summary"
  grep -q '^[0-9]* passed, 0 failed' <<<"$summary" || fail "plughost check of $windows/vellumine.vst3 in a $folder host: $summary"
  for module in vellumine.vst3 "$folder/vellumine.dll"; do
    wine_plughost render "$module" -o "../$arch-$(basename "$module").wav" --set 10=0.5 --set 11=0.0375 --set 12=0.5 \
      >/dev/null || fail "plughost render of $windows/$module in a $folder host"
  done
  cmp -s "$work/$arch-vellumine.vst3.wav" "$work/$arch-vellumine.dll.wav" ||
    fail "$windows/vellumine.vst3 does not render $windows/$folder/vellumine.dll's samples in a $folder host"
  echo "$windows/vellumine.vst3 in a $folder host: the DLL's samples"
done

echo "== the Linux archive"
tar -C "$work" -xzf "dist/$linux.tar.gz"
# Both Linux archives' plug-ins load from glibc 2.17 on, needing only the system's base libraries.
dpkg-deb -x "dist/$deb" "$work/deb-amd64"
mapfile -t plugins < <(find "$work/$linux" "$work/deb-amd64" -name '*.so' -o -name '*.clap')
tests/platform/linux/check_glibc_baseline.sh "${plugins[@]}" || fail "a Linux plug-in binary needs more than glibc 2.17"
home=$work/home
mkdir -p "$home"
diff -r build/presets "$work/$linux/presets" >/dev/null || fail "the Linux archive's presets differ from the build's"
HOME=$home "$work/$linux/install.sh"
tools/hosts/qtractor-scan.sh "$home/.vst/vellumine.so" || fail "qtractor's scanner on ~/.vst/vellumine.so"
tools/hosts/qtractor-scan-clap.sh "$home/.clap/vellumine.clap" || fail "qtractor's scanner on ~/.clap/vellumine.clap"
classes=$(build/plughost info "$home/.vst3/vellumine.vst3" 2>&1 || true)
grep -q 'Vellumine  \[Audio Module Class\] Fx|Delay' <<<"$classes" || fail "plughost info does not load ~/.vst3/vellumine.vst3"
# Without LV2_PATH, hosts search ~/.lv2 first.
info=$(env -u LV2_PATH HOME="$home" lv2info "$uri" 2>/dev/null || true)
grep -q "Bundle: *file://$home/.lv2/vellumine.lv2/" <<<"$info" || fail "lv2info does not find the bundle in ~/.lv2"
echo "lv2info: $uri found in ~/.lv2/vellumine.lv2/"
HOME=$home "$work/$linux/install.sh" --remove
[ -z "$(find "$home" -name 'vellumine*')" ] || fail "install.sh --remove left files in the home folder"

if [ "$arm" = 1 ]; then
  echo "== the 64-bit ARM archives"
  dpkg-deb -f "dist/$deb_arm" Package Version Architecture Depends
  [ "$(dpkg-deb -f "dist/$deb_arm" Architecture)" = arm64 ] || fail "$deb_arm is not for arm64"
  [ "$(dpkg-deb -f "dist/$deb_arm" Version)" = "$version" ] || fail "$deb_arm's version is not $version"
  depends=$(dpkg-deb -f "dist/$deb_arm" Depends)
  grep -q 'libc6' <<<"$depends" && ! grep -q 'fonts-\|libfreetype' <<<"$depends" ||
    fail "$deb_arm does not depend on libc6, or depends on a font or on FreeType"
  echo "lintian:"
  lintian --fail-on error "dist/$deb_arm" || fail "lintian reports errors in $deb_arm"
  # Names only: sizes and dates differ between the architectures.
  files() { dpkg-deb -c "$1" | awk '{print $6}'; }
  # The VST 3 bundle names its binary's folder after the architecture.
  diff <(files "dist/$deb") <(files "dist/$deb_arm" | sed 's|/aarch64-linux/|/x86_64-linux/|') ||
    fail "$deb_arm holds other files than $deb"
  tar -C "$work" -xzf "dist/$linux_arm.tar.gz"
  diff <(tar -tzf "dist/$linux.tar.gz" | sed "s|^$linux/||" | sort) \
    <(tar -tzf "dist/$linux_arm.tar.gz" | sed -e "s|^$linux_arm/||" -e 's|/aarch64-linux/|/x86_64-linux/|' | sort) ||
    fail "$linux_arm.tar.gz holds other files than $linux.tar.gz"
  dpkg-deb -x "dist/$deb_arm" "$work/deb-arm64"

  for binary in "$work/$linux_arm/"{vellumine.so,vellumine.lv2/vellumine.so,vellumine.lv2/vellumine_ui.so,vellumine.vst3/Contents/aarch64-linux/vellumine.so} \
    "$work/deb-arm64/usr/lib/"{vst/vellumine.so,lv2/vellumine.lv2/vellumine.so,lv2/vellumine.lv2/vellumine_ui.so,vst3/vellumine.vst3/Contents/aarch64-linux/vellumine.so}; do
    machine=$(readelf -h "$binary" | sed -n 's/^ *Machine: *//p')
    echo "readelf -h ${binary#"$work/"}: $machine"
    [ "$machine" = AArch64 ] || fail "${binary#"$work/"} is not an AArch64 binary"
  done
  # Hosts on ARM boards load the DSP binary alone, without the editor's libraries; like the
  # x86-64 ones, every plug-in binary loads from glibc 2.17 on.
  mapfile -t plugins < <(find "$work/$linux_arm" "$work/deb-arm64" -name '*.so' -o -name '*.clap')
  tests/platform/linux/check_glibc_baseline.sh "${plugins[@]}" || fail "an aarch64 plug-in binary needs more than glibc 2.17"
  needed=$(readelf -d "$work/$linux_arm/vellumine.lv2/vellumine.so" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort | tr '\n' ' ')
  echo "the LV2 plug-in's binary needs: $needed"
  if grep -q libX11 <<<"$needed"; then fail "the aarch64 LV2 plug-in's binary needs libX11"; fi
  bundle=$work/$linux_arm/vellumine.lv2
  lv2_validate "$bundle/manifest.ttl" "$bundle/vellumine.ttl" "$bundle/presets.ttl" ||
    fail "lv2_validate on the aarch64 bundle's Turtle"
  for ttl in manifest.ttl vellumine.ttl presets.ttl; do
    cmp -s "$bundle/$ttl" "$work/$linux/vellumine.lv2/$ttl" || fail "the aarch64 bundle's $ttl differs from the x86-64 one's"
  done

  # The shipped (stripped) binaries under qemu against the x86-64 archive's.
  cmake --build build --target lv2_bundle_render >/dev/null
  cmake --build build-aarch64 --target lv2_bundle_render plughost >/dev/null
  setting=(1=2 3=70 4=0 5=15 6=60 7=1 8=5 9=40 10=100 11=375 12=90 13=2 15=70 16=3 17=10 18=50 19=4 20=2.5 21=30)
  build/tests/lv2_bundle_render "$work/$linux/vellumine.lv2/vellumine.so" "$work/lv2-x86_64.raw" "${setting[@]}"
  qemu-aarch64 -L / build-aarch64/tests/lv2_bundle_render "$bundle/vellumine.so" "$work/lv2-aarch64.raw" "${setting[@]}"
  cmp -s "$work/lv2-x86_64.raw" "$work/lv2-aarch64.raw" ||
    fail "the aarch64 bundle's plug-in gives other samples than the x86-64 one's"
  echo "lv2_bundle_render: the aarch64 bundle's plug-in, under qemu, gives the x86-64 bundle's samples"
  build/plughost render "$work/$linux/vellumine.so" -o "$work/vst-x86_64.wav" --automate scripts/demo-setting.txt >/dev/null
  qemu-aarch64 -L / build-aarch64/plughost render "$work/$linux_arm/vellumine.so" -o "$work/vst-aarch64.wav" \
    --automate scripts/demo-setting.txt >/dev/null
  same_samples "$work/vst-x86_64.wav" "$work/vst-aarch64.wav" ||
    fail "the aarch64 archive's VST 2 module renders other samples than the x86-64 one's"
  echo "plughost render: the aarch64 archive's VST 2 module, under qemu, gives the x86-64 archive's samples"
fi

[ "$failed" -eq 0 ] && echo "test-package: all archives work as installed"
exit "$failed"
