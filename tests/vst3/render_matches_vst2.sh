#!/usr/bin/env bash
# plughost renders one automated setting through the VST 3 bundle and through the VST 2
# module, as users run it; the two WAV files must be the same bytes.
#   render_matches_vst2.sh AUTOMATION PLUGHOST BUNDLE VST2_MODULE [RUNNER...]
# Runs in the folder that holds the bundle and the module; RUNNER (the Windows build's Wine
# wrapper) starts plughost.
set -euo pipefail
automation=$1 plughost=$2 bundle=$3 vst2=$4
shift 4
# Wine does not translate Unix paths: the automation is read from this folder.
cp "$automation" render-automation.txt
options=(--automate render-automation.txt --rate 96000 --block 7 --tempo 100)
"$@" "$plughost" render "$bundle" -o vst3-render.wav "${options[@]}" >/dev/null
"$@" "$plughost" render "$vst2" -o vst2-render.wav "${options[@]}" >/dev/null
cmp vst3-render.wav vst2-render.wav
echo "$bundle and $vst2 render the same samples"
