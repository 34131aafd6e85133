#!/usr/bin/env bash
# Manual acceptance test in a real third-party host: Ardour 7 (Debian package ardour) loads the
# plug-in headless, sets parameters, renders an impulse and we print what Ardour saw: how it
# lists the plug-in, its parameters and presets, and where the echoes land in the exported WAV.
# Not part of CI: Debian's Ardour 7.3 crashes now and then, so each Ardour step is retried.
#
# Usage: tools/hosts/ardour-render.sh [PLUGIN] [INDEX=VALUE ...]
#   PLUGIN defaults to the repository's build/vellumine.so; INDEX=VALUE pairs set parameters
#   (after the defaults below, for our plug-in). KEEP=1 keeps the work folder (session, WAV,
#   Ardour's logs) and prints where it is.
#   A PLUGIN ending in .lv2 is an LV2 bundle (ours: build/vellumine.lv2): Ardour loads it by URI
#   from LV2_PATH, indices are port indices (Stereo is 29) and values are in the ports' own
#   units. The session runs at RATE Hz (44100 for a VST 2 module, 48000 for an LV2 bundle,
#   unless given), so that the echoes show that both editions run at the session's rate.
#   A PLUGIN ending in .vst3 is a VST 3 bundle (ours: build/vellumine.vst3): Ardour scans it from
#   VST3_PATH and loads it by name; values are plain values (ours: the LV2 ports' units).
#   TEMPO=BPM sets the session's tempo (Ardour's default is 120).
#   PRESET=NAME loads the plug-in's preset of that name as Ardour's preset menu does, instead of
#   our default settings (INDEX=VALUE pairs still apply after it).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
plugin=$here/../../build/vellumine.so
if [ $# -gt 0 ] && [[ "$1" != *=* ]]; then plugin=$1; shift; fi
[ -e "$plugin" ] || { echo "ardour-render: no plug-in at $plugin" >&2; exit 1; }
plugin=$(realpath "$plugin")
kind=LXVST
rate=${RATE:-44100}
if [[ "$plugin" == *.lv2 ]]; then kind=LV2; rate=${RATE:-48000}; fi
if [[ "$plugin" == *.vst3 ]]; then kind=VST3; fi

# Two seconds of export: the impulse at 0.1 s, then room for five echoes of our default setting.
seconds=2

for tool in ardour7-lua /usr/lib/ardour7/ardour-vst-scanner python3; do
  command -v "$tool" >/dev/null || {
    echo "ardour-render: $tool is missing (apt-get install -y --no-install-recommends ardour python3)" >&2
    exit 1
  }
done

work=$(mktemp -d /tmp/ardour-render.XXXXXX)
if [ "${KEEP:-0}" = 1 ]; then echo "ardour-render: work folder $work"; else trap 'rm -rf "$work"' EXIT; fi

# Ardour gets a home of its own (it writes ~/.config/ardour7 and ~/.cache/ardour7) and sees only
# this plug-in: empty plug-in paths for the other formats spare a scan of the whole machine.
export HOME=$work/home LXVST_PATH=$work/vst LADSPA_PATH=$work/none LV2_PATH=$work/none VST3_PATH=$work/none
# LV2: the bundle and the installed specifications (Ardour needs lv2core's classes).
[ "$kind" = LV2 ] && LV2_PATH=$work/lv2:/usr/lib/lv2
[ "$kind" = VST3 ] && VST3_PATH=$work/vst3
mkdir -p "$HOME/.config/ardour7/scripts" "$HOME/.config/ardour7/export" "$LXVST_PATH" "$work/none" "$work/out" "$work/lv2" \
  "$work/vst3"
cp "$here/ardour/impulse.lua" "$HOME/.config/ardour7/scripts/"
# The default export is 16-bit dithered; this preset writes 32-bit float WAV.
cp "$here/ardour/float-wav.format" "$here/ardour/float-wav.preset" "$HOME/.config/ardour7/export/"

if [ "$kind" = LV2 ]; then
  cp -r "$plugin" "$work/lv2/"
  id=$(sed -n 's/^<\([^#>]*\)>$/\1/p' "$plugin/manifest.ttl" | head -n 1)
  echo "LV2 bundle: $(basename "$plugin"), plug-in $id, session at $rate Hz"
  # For ours: origin path at unity (100 %), delay path at unity, 375 ms, feedback 50 %.
  settings="$*"
  [ "$id" = urn:quorvane:vellumine ] && [ -z "${PRESET:-}" ] && settings="0=100 10=100 11=375 12=50${settings:+ $settings}"
elif [ "$kind" = VST3 ]; then
  cp -r "$plugin" "$work/vst3/"
  bundle=$work/vst3/$(basename "$plugin")
  find "$bundle" -name '*.so' -exec touch -d '-1 minute' {} +
  LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst3-scanner -f "$bundle" >"$work/scan.log" 2>&1 || true
  if ! grep -q "Found Plugin" "$work/scan.log"; then
    echo "ardour-render: Ardour's VST 3 scanner did not accept $plugin:" >&2
    cat "$work/scan.log" >&2
    exit 1
  fi
  sed -n 's/^\[Info\]: \(Found Plugin.*\)/scan: \1/p' "$work/scan.log"
  id=$(grep -o ' name="[^"]*"' "$HOME"/.cache/ardour7/vst/*.v3i | head -n 1 | sed 's/ name="\(.*\)"/\1/')
  echo "VST 3 bundle: $(basename "$plugin"), class $id, session at $rate Hz"
  # For ours, in plain values: origin path at unity (100 %), delay path at unity, 375 ms, feedback 50 %.
  settings="$*"
  [ "$id" = Vellumine ] && [ -z "${PRESET:-}" ] && settings="0=100 10=100 11=375 12=50${settings:+ $settings}"
  # Ardour's Lua lists no VST 3 program by itself: for ours, each factory preset is looked up by
  # name, as its preset menu finds it.
  if [ "$id" = Vellumine ] && [ -d "$here/../../build/presets" ]; then
    for file in "$here/../../build/presets/"*.fxp; do basename "$file" .fxp; done >"$work/preset-names.txt"
  fi
else
  # Ardour ignores a scan result that is not at least a second newer than the module, so the copy
  # is dated a minute into the past before the scan.
  cp "$plugin" "$LXVST_PATH/"
  module=$LXVST_PATH/$(basename "$plugin")
  touch -d '-1 minute' "$module"
  LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst-scanner -f "$module" >"$work/scan.log" 2>&1 || true
  if ! grep -q "Found Plugin" "$work/scan.log"; then
    echo "ardour-render: Ardour's scanner did not accept $plugin:" >&2
    cat "$work/scan.log" >&2
    exit 1
  fi
  sed -n 's/^\[Info\]: \(Found Plugin.*\)/scan: \1/p' "$work/scan.log"
  id=$(grep -o ' id="[0-9-]*"' "$HOME"/.cache/ardour7/vst/*.v2i | head -n 1 | grep -o '[0-9-]*')

  # For our plug-in (unique id QvRk = 1366708843): origin path at unity, so the impulse itself
  # marks where the host put it in the file (Ardour's export timeline is offset by a few hundred
  # samples); delay path at unity, 375 ms of delay (16538 samples at 44.1 kHz, 18000 at 48 kHz),
  # feedback 0.5. Other
  # plug-ins get only the settings given on the command line: their parameters mean other things.
  settings="$*"
  [ "$id" = 1366708843 ] && [ -z "${PRESET:-}" ] && settings="0=0.5 10=0.5 11=0.0375 12=0.5${settings:+ $settings}"
fi

# Runs one Ardour step until it prints its marker, three tries at most (the scanner's and
# Ardour's exit codes say nothing reliable).
ardour_step() {
  local script=$1 marker=$2 try
  for try in 1 2 3; do
    # A crashed try may leave half a session or half a file behind.
    if [ "$script" = create.lua ]; then rm -rf "$work/session"; else rm -f "$work/out/"*; fi
    SESSION_DIR=$work/session OUT_DIR=$work/out PLUGIN_ID=$id SETTINGS=$settings SECONDS_OUT=$seconds \
      PLUGIN_TYPE=$kind SESSION_RATE=$rate PRESET=${PRESET:-} TEMPO=${TEMPO:-} \
      PRESET_NAMES=$([ -f "$work/preset-names.txt" ] && echo "$work/preset-names.txt") \
      timeout 120 ardour7-lua "$here/ardour/$script" >"$work/$script.$try.log" 2>&1 || true
    if grep -qx "$marker" "$work/$script.$try.log"; then
      [ "$try" = 1 ] || echo "ardour: $script needed $try tries"
      log=$work/$script.$try.log
      return 0
    fi
  done
  echo "ardour-render: $script failed three times; last log:" >&2
  tail -n 20 "$work/$script.3.log" >&2
  exit 1
}

echo "settings: $settings"
ardour_step create.lua SAVED
sed -n 's/^REPORT //p' "$log"
ardour_step export.lua EXPORTED
sed -n 's/^REPORT //p' "$log" | sed "s|$work|<work>|g"
# Anything else Ardour said while loading and exporting, each distinct line once with a count.
grep -v -e '^REPORT ' -e '^EXPORTED$' -e '^$' "$log" | sed 's/\x1b\[[0-9;]*m//g' | sort | uniq -c | sort -rn |
  sed 's/^ */ardour said: /'

python3 "$here/ardour/echoes.py" "$work/out/render.wav" | sed "s|$work|<work>|g"
