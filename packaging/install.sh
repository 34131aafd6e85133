#!/bin/sh
# Installs Vellumine for the current user, where Linux hosts look for plug-ins:
#   ~/.vst/vellumine.so        the VST 2 plug-in
#   ~/.lv2/vellumine.lv2/      the LV2 plug-in
#   ~/.clap/vellumine.clap     the CLAP plug-in
# No root needed. `./install.sh --remove` takes them out again.
set -eu
cd "$(dirname "$0")"
vst=$HOME/.vst
lv2=$HOME/.lv2
clap=$HOME/.clap
case "${1:-}" in
  "")
    mkdir -p "$vst" "$lv2" "$clap"
    cp vellumine.so "$vst/"
    cp vellumine.clap "$clap/"
    # A new bundle replaces an old one as a whole: no file of a former version stays in it.
    rm -rf "$lv2/vellumine.lv2"
    cp -r vellumine.lv2 "$lv2/"
    echo "Installed $vst/vellumine.so, $lv2/vellumine.lv2/ and $clap/vellumine.clap; rescan plug-ins in your host."
    ;;
  --remove)
    rm -f "$vst/vellumine.so"
    rm -rf "$lv2/vellumine.lv2"
    rm -f "$clap/vellumine.clap"
    echo "Removed $vst/vellumine.so, $lv2/vellumine.lv2/ and $clap/vellumine.clap."
    ;;
  *)
    echo "usage: $0 [--remove]" >&2
    exit 2
    ;;
esac
