#!/bin/sh
# Installs Vellumine for the current user, where Linux hosts look for plug-ins:
#   ~/.vst/vellumine.so        the VST 2 plug-in
#   ~/.lv2/vellumine.lv2/      the LV2 plug-in
# No root needed. `./install.sh --remove` takes both out again.
set -eu
cd "$(dirname "$0")"
vst=$HOME/.vst
lv2=$HOME/.lv2
case "${1:-}" in
  "")
    mkdir -p "$vst" "$lv2"
    cp vellumine.so "$vst/"
    # A new bundle replaces an old one as a whole: no file of a former version stays in it.
    rm -rf "$lv2/vellumine.lv2"
    cp -r vellumine.lv2 "$lv2/"
    echo "Installed $vst/vellumine.so and $lv2/vellumine.lv2/; rescan plug-ins in your host."
    ;;
  --remove)
    rm -f "$vst/vellumine.so"
    rm -rf "$lv2/vellumine.lv2"
    echo "Removed $vst/vellumine.so and $lv2/vellumine.lv2/."
    ;;
  *)
    echo "usage: $0 [--remove]" >&2
    exit 2
    ;;
esac
