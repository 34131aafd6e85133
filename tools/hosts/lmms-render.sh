#!/usr/bin/env bash
# Manual acceptance test in a real third-party host: LMMS 1.2.2 (Debian's 32-bit packages)
# loads the 32-bit Windows DLL through Wine, headless, and renders an impulse through it; we
# check that the impulse and each echo land on the sample and at the level the settings ask
# for. Not part of CI: LMMS with Wine is about 580 MB to install.
#
# Usage: tools/hosts/lmms-render.sh [DLL]
#   DLL defaults to build-lmms-i686/vellumine.dll, (re)built there first. KEEP=1 keeps the work
#   folder (project, rc file, WAVs, LMMS's log) and prints where it is. The Wine prefix (32-bit,
#   made once, about 15 s) is LMMS_WINEPREFIX or ~/.cache/vellumine-lmms-wine32.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
prefix=${LMMS_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/vellumine-lmms-wine32}

if [ ! -x /usr/lib/i386-linux-gnu/lmms/RemoteVstPlugin ] || ! command -v lmms >/dev/null; then
  echo "lmms-render: LMMS with VST support is missing. Debian's 64-bit LMMS has none; install the" >&2
  echo "32-bit packages (they replace it and pull in wine32, about 580 MB):" >&2
  echo "  dpkg --add-architecture i386 && apt-get update" >&2
  echo "  apt-get install -y --no-install-recommends lmms:i386 lmms-vst-server:i386" >&2
  exit 1
fi
command -v python3 >/dev/null || { echo "lmms-render: python3 is missing" >&2; exit 1; }

if [ $# -gt 0 ]; then
  dll=$1
else
  build=$repo/build-lmms-i686
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "$build" -j2 --target vellumine >/dev/null
  dll=$build/vellumine.dll
fi
[ -f "$dll" ] || { echo "lmms-render: no DLL at $dll" >&2; exit 1; }
dll=$(realpath "$dll")

work=$(mktemp -d /tmp/lmms-render.XXXXXX)
if [ "${KEEP:-0}" = 1 ]; then echo "lmms-render: work folder $work"; else trap 'rm -rf "$work"' EXIT; fi

# LMMS starts its Wine side (RemoteVstPlugin) with this environment: a 32-bit prefix of our
# own, no debugger on a crash (it would wait for ever), no Mono or Gecko prompts.
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
if [ ! -d "$prefix" ]; then
  echo "lmms-render: making the Wine prefix $prefix"
  mkdir -p "$(dirname "$prefix")"
  # wine-run.sh makes the prefix with the null graphics driver: the plug-in's editor window
  # is created while the project loads, and there is no display.
  VELLUMINE_WINEPREFIX=$prefix "$repo/scripts/wine-run.sh" cmd /c ver >"$work/prefix.log" 2>&1 || {
    echo "lmms-render: making the Wine prefix failed:" >&2
    cat "$work/prefix.log" >&2
    rm -rf "$prefix"
    exit 1
  }
fi

# 44.1 kHz: the impulse 0.1 s in. Origin path at unity (Output Mix 0.5 gives gain 1), delay path
# at unity, feedback 0.5. Both filters are notches without damping (Filter Type 1 = Notch,
# Filter Q 1 = damping 0): a Chamberlin notch output is then low + high = the input itself, so
# impulse and echoes stay single samples. Delay 0.0375 of the 441000-sample line asks for
# 16537.5 samples; the line wraps at the first whole position at or past that, so the echo
# comes 16538 samples after the sound, half a sample away from either neighbour.
rate=44100 at=4410 delay=16538
settings="0=0.5 1=1 3=1 10=0.5 11=0.0375 12=0.5 13=1 15=1"

python3 "$here/lmms/make_impulse.py" "$work/impulse.wav" "$rate" $((2 * rate)) "$at"

# LMMS keys its stored parameters param0..param{n-1}; each value is "index:name:value" and
# only the index and the value count when the project loads.
params="" count=0
for setting in $settings; do
  params+=" param$count=\"${setting%%=*}::${setting#*=}\""
  count=$((count + 1))
done

# Auto-quit would stop the effect once the track falls silent, cutting the echoes; LMMS needs
# a working folder that exists. It rewrites this file as it runs.
mkdir -p "$work/lmms"
cat >"$work/lmmsrc.xml" <<EOF
<?xml version="1.0"?>
<!DOCTYPE lmms-config-file>
<lmms version="1.2.2">
  <paths workingdir="$work/lmms/"/>
  <ui disableautoquit="1"/>
</lmms>
EOF

# One sample track (one bar at 120 bpm, the impulse file from its start) with the plug-in as
# its only effect, fully wet.
cat >"$work/impulse.mmp" <<EOF
<?xml version="1.0"?>
<!DOCTYPE lmms-project>
<lmms-project type="song" version="1.0" creator="LMMS" creatorversion="1.2.2">
  <head timesig_numerator="4" timesig_denominator="4" bpm="120" mastervol="100" masterpitch="0"/>
  <song>
    <trackcontainer type="song">
      <track type="2" name="Impulse" muted="0" solo="0">
        <sampletrack vol="100" pan="0">
          <fxchain numofeffects="1" enabled="1">
            <effect name="vsteffect" on="1" wet="1" gate="0" autoquit="0">
              <vsteffectcontrols plugin="$dll" numparams="$count"$params/>
              <key><attribute name="file" value="$dll"/></key>
            </effect>
          </fxchain>
        </sampletrack>
        <sampletco pos="0" len="192" muted="0" src="$work/impulse.wav"/>
      </track>
    </trackcontainer>
    <fxmixer>
      <fxchannel num="0" name="Master" volume="1" muted="0" soloed="0">
        <fxchain numofeffects="0" enabled="0"/>
      </fxchannel>
    </fxmixer>
    <timeline lp0pos="0" lp1pos="192" lpstate="0"/>
    <controllers/>
  </song>
</lmms-project>
EOF

echo "plug-in: $dll"
echo "settings: $settings"
# -x 1: LMMS's default 2x oversampling would smear the impulse. LMMS exits 0 even when the
# plug-in fails to load (it renders the track without it), so its log is what tells.
HOME=$work timeout 300 lmms --allowroot -c "$work/lmmsrc.xml" render "$work/impulse.mmp" \
  -f wav -s "$rate" -a -x 1 -o "$work/out.wav" >"$work/lmms.log" 2>&1 || {
  echo "lmms-render: LMMS failed (exit code $?):" >&2
  tail -n 20 "$work/lmms.log" >&2
  exit 1
}
if grep -q -e "could not be loaded" -e "could not find entry point" "$work/lmms.log" ||
   ! grep -q "unique ID: QvRk" "$work/lmms.log"; then
  echo "lmms-render: LMMS did not load the plug-in:" >&2
  grep -v "^\"Cannot load library /usr/lib/ladspa/" "$work/lmms.log" >&2
  exit 1
fi
# What LMMS said about the plug-in (its 32-bit build also tries every 64-bit LADSPA library
# on the machine and says so; those lines are left out).
grep -e "^RemotePlugin::" -e "^unique ID" "$work/lmms.log" | sed 's/^/lmms said: /'

# The impulse may come up to one LMMS period (256 frames) late, if the host ever delayed the
# track; the echoes must then follow it to the sample, as the delay line alone places them.
python3 "$here/lmms/check_echoes.py" "$work/out.wav" --at "$at" --late 256 --delay "$delay" \
  --dry 1 --wet 1 --feedback 0.5
echo "lmms-render: impulse and echoes where and as loud as the settings put them: ok"
