#!/usr/bin/env bash
# Installs the Debian packages listed in the given lists (default: scripts/packages.txt)
# that are not installed yet. A package whose line ends in `?` is wanted, not needed: where it
# cannot be installed (a mirror missing another architecture's index, say) this says so and
# goes on, and the tests that need it say SKIPPED.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=("$@")
[ ${#lists[@]} -eq 0 ] && lists=("$here/packages.txt")
mapfile -t wanted < <(cat "${lists[@]}" | grep -v -E '^\s*(#|$)' | sed 's/\s*$//')
needed=()
optional=()
for line in "${wanted[@]}"; do
  pkg=${line%\?}
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' && continue
  if [ "$pkg" = "$line" ]; then needed+=("$pkg"); else optional+=("$pkg"); fi
done
[ $((${#needed[@]} + ${#optional[@]})) -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${needed[*]} ${optional[*]}"
# Packages of another architecture (wine32:i386, libx11-dev:arm64) need it added first.
for arch in $(printf '%s\n' "${needed[@]}" "${optional[@]}" | sed -n 's/^.*:\([a-z0-9]*\)$/\1/p' | sort -u); do
  dpkg --print-foreign-architectures | grep -qx "$arch" || $sudo dpkg --add-architecture "$arch"
done
# A mirror caught mid-sync fails one index now and then; the others are still good to install from.
$sudo apt-get update -qq || echo "install-deps: apt-get update reported errors; installing from the indexes it has" >&2
install() { DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "$@"; }
[ ${#needed[@]} -eq 0 ] || install "${needed[@]}"
# One package that cannot be had must not keep out the others: then each is tried alone.
if [ ${#optional[@]} -gt 0 ] && ! install "${optional[@]}"; then
  failed=()
  for pkg in "${optional[@]}"; do install "$pkg" >/dev/null 2>&1 || failed+=("$pkg"); done
  [ ${#failed[@]} -eq 0 ] ||
    echo "install-deps: could not install ${failed[*]}; the tests that need them will be skipped" >&2
fi
exit 0
