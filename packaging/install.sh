#!/bin/sh
# Installs Vellumine for the current user, where Linux hosts look for plug-ins:
#   ~/.vst/vellumine.so        the VST 2 plug-in
#   ~/.lv2/vellumine.lv2/      the LV2 plug-in
#   ~/.clap/vellumine.clap     the CLAP plug-in
#   ~/.vst3/vellumine.vst3/    the VST 3 plug-in
# No root needed. `./install.sh --remove` takes them out again.
set -eu
cd "$(dirname "$0")"
vst=$HOME/.vst
lv2=$HOME/.lv2
clap=$HOME/.clap
vst3=$HOME/.vst3
case "${1:-}" in
  "")
    mkdir -p "$vst" "$lv2" "$clap" "$vst3"
    cp vellumine.so "$vst/"
    cp vellumine.clap "$clap/"
    # A new bundle replaces an old one as a whole: no file of a former version stays in it.
    rm -rf "$lv2/vellumine.lv2" "$vst3/vellumine.vst3"
    cp -r vellumine.lv2 "$lv2/"
    cp -r vellumine.vst3 "$vst3/"
    echo "Installed $vst/vellumine.so, $lv2/vellumine.lv2/, $clap/vellumine.clap and $vst3/vellumine.vst3/; rescan plug-ins in your host."
    ;;
  --remove)
    rm -f "$vst/vellumine.so"
    rm -rf "$lv2/vellumine.lv2"
    rm -f "$clap/vellumine.clap"
    rm -rf "$vst3/vellumine.vst3"
    echo "Removed $vst/vellumine.so, $lv2/vellumine.lv2/, $clap/vellumine.clap and $vst3/vellumine.vst3/."
    ;;
  *)
    echo "usage: $0 [--remove]" >&2
    exit 2
    ;;
esac
