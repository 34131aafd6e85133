#!/usr/bin/env bash
# Manual acceptance test of the plug-in's editor inside a real sequencer's GUI: Ardour 7 (Debian
# package ardour) on a private Xvfb with a window manager, connected to a dummy JACK server,
# with a home of its own. It opens the editor from the mixer strip, compares the editor's pixels
# with docs/images/editor-init.png, drags the Feedback knob and types a value into the delay's
# Rate box with xdotool, saves after each and checks that the saved session holds the new value
# both as Ardour's own controllable value and as the plug-in's, and that each edit marked the
# session modified; after the typed value's Return, Space must start Ardour's transport at once
# and stop it again (the box hands the keyboard focus back; Ardour's OSC surface tells the
# transport's speed); then it closes the editor, reopens it and compares its pixels with the
# snapshot tool's picture of the same values.
# Not part of CI: it needs about 250 MB of packages, drives a GUI by screen positions, and
# Debian's Ardour 7.3 crashes now and then (the step that builds the session is retried). Under
# load the dummy JACK server sometimes drops Ardour: a step that fails then is reported as a
# JACK failure, not the editor's, and the run in Ardour is tried again (three times at most).
#
# Usage: [SCALE=2] tools/hosts/ardour-gui.sh [-s SHOT.png] [PLUGIN]
#   SCALE=2 publishes Xft.dpi 192 on the X server, as a desktop at 200 % does: the editor opens
#   at 1280 x 800, is compared with the snapshot tool's picture at scale 2 and driven at doubled
#   coordinates.
#   PLUGIN defaults to the repository's build/vellumine.so (built with the snapshot tool); a
#   PLUGIN ending in .vst3 is the VST 3 bundle (build/vellumine.vst3), which Ardour scans from
#   VST3_PATH and the session adds by its class name; there the plug-in's saved value is the one
#   in its component state, which Ardour keeps in the session's chunk. SCALE=2 fails there at the
#   first comparison: Ardour 7.3 sets the view's content scale to its own GUI scaling (1 at its
#   default 100 %, whatever Xft.dpi says), and the editor follows the host's scale over the
#   desktop's;
#   -s copies the picture of the editor inside Ardour's plug-in window, taken after the edits,
#   to SHOT.png. KEEP=1 keeps the work folder (session, captures, logs) and prints where it is;
#   a failure always keeps it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
shot=""
if [ "${1:-}" = -s ]; then shot=$(realpath -m "$2"); shift 2; fi
plugin=${1:-$root/build/vellumine.so}
[ -e "$plugin" ] || { echo "ardour-gui: no plug-in at $plugin" >&2; exit 1; }
plugin=$(realpath "$plugin")
kind=LXVST
[[ "$plugin" == *.vst3 ]] && kind=VST3
readonly kind
snapshot=$(dirname "$plugin")/tools/snapshot/snapshot
[ -x "$snapshot" ] || { echo "ardour-gui: no snapshot tool at $snapshot" >&2; exit 1; }

"$root/scripts/install-deps.sh" "$here/ardour-gui/packages.txt"

readonly session_name=vellumine
# How the session script finds the plug-in (a VST 2 unique id: QvRk, or a VST 3 class name), and
# how far Ardour's values of the Feedback and the Rate are from the plug-in's normalized ones:
# the same for VST 2; plain values (percent, ms) for VST 3, from the float of the plug-in's
# state.
if [ "$kind" = VST3 ]; then
  readonly plugin_id=Vellumine feedback_scale=100 rate_scale=10000 tolerance=1e-6
else
  readonly plugin_id=1366708843 feedback_scale=1 rate_scale=1 tolerance=0
fi
# Where the editor's controls stand in its window (the editor's layout): the Feedback knob's
# centre and a point up and to the right of it on the knob's circle, and the delay Rate's box.
scale=${SCALE:-1}
case "$scale" in 1 | 2) ;; *) echo "ardour-gui: SCALE is 1 or 2" >&2; exit 1 ;; esac
readonly scale
readonly knob_x=$((554 * scale)) knob_y=$((73 * scale)) drag_x=$((590 * scale)) drag_y=$((50 * scale))
readonly rate_box_x=$((475 * scale)) rate_box_y=$((104 * scale))
# Where Ardour 7.3 draws its Mix button (which shows the mixer) and the plug-in in the mixer
# strip of the session's only track, from the top left of its main window.
readonly mix_button_x=1325 mix_button_y=52 processor_x=330 processor_y=194

work=$(mktemp -d /tmp/ardour-gui.XXXXXX)
logs=$work
pids=()
failed=0
xvfb_started=0
finish() {
  if [ "${KEEP:-0}" = 1 ] || [ "$failed" = 1 ]; then echo "ardour-gui: work folder $work"; else rm -rf "$work"; fi
}
trap finish EXIT

readonly jack_failed=75

# Prints why JACK is to blame when it is: the server has gone, one of the logs tells of JACK
# dropping Ardour, or Ardour runs without its ports on the server. Fails otherwise.
jack_failure() {
  [ -n "${jackd_pid:-}" ] || return 1
  if ! kill -0 "$jackd_pid" 2>/dev/null; then
    echo "the JACK server has exited (see $logs/jackd.log)"
  elif grep -qiE 'zombif|jack halted|jack.*(shut ?down|disconnected)' "$logs/jackd.log" "$logs/ardour.log" 2>/dev/null; then
    echo "JACK dropped Ardour: $(grep -hiE -m 1 'zombif|jack halted|jack.*(shut ?down|disconnected)' "$logs/jackd.log" "$logs/ardour.log")"
  elif [ -n "${ardour_pid:-}" ] && kill -0 "$ardour_pid" 2>/dev/null && ! jack_lsp 2>/dev/null | grep -qi '^ardour:'; then
    echo "Ardour runs but has no ports on the JACK server"
  else
    return 1
  fi
}

# Keeps a picture of the screen for finding out what went wrong, and tells a JACK failure,
# which ends only this try, from a failure of the editor or the script.
fail() {
  local jack
  if [ "$xvfb_started" = 1 ] && import -window root "$logs/screen.png" 2>/dev/null; then
    echo "the screen at that moment: $logs/screen.png" >&2
  fi
  if jack=$(jack_failure); then
    echo "JACK FAILURE: $jack; the step: $*" >&2
    exit "$jack_failed"
  fi
  failed=1
  echo "FAIL: $*" >&2
  exit 1
}
ok() { echo "ok: $*"; }

# Waits up to $1 seconds until the command after it succeeds.
wait_for() {
  local seconds=$1 tick
  shift
  for ((tick = 0; tick < seconds * 4; ++tick)); do
    "$@" && return 0
    sleep 0.25
  done
  return 1
}

# --- Ardour's home, the plug-in and the session -------------------------------------------

# Ardour sees only this plug-in: empty paths for the other formats spare a scan of the machine.
export HOME=$work/home LXVST_PATH=$work/none LADSPA_PATH=$work/none LV2_PATH=$work/none VST3_PATH=$work/none
if [ "$kind" = VST3 ]; then VST3_PATH=$work/vst3; else LXVST_PATH=$work/vst; fi
mkdir -p "$HOME/.config/ardour7" "$LXVST_PATH" "$VST3_PATH" "$work/none"
# An existing .a7 skips the first-run wizard; the configuration selects JACK, the remembered
# window state places the main window and turns off a warning.
touch "$HOME/.config/ardour7/.a7"
cp "$here/ardour-gui/config" "$here/ardour-gui/instant.xml" "$HOME/.config/ardour7/"

# Ardour ignores a scan result that is not at least a second newer than the module, and finds
# it by the absolute path scanned.
if [ "$kind" = VST3 ]; then
  cp -r "$plugin" "$VST3_PATH/"
  bundle=$VST3_PATH/$(basename "$plugin")
  find "$bundle" -name '*.so' -exec touch -d '-1 minute' {} +
  LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst3-scanner -f "$bundle" >"$work/scan.log" 2>&1 || true
else
  cp "$plugin" "$LXVST_PATH/"
  module=$LXVST_PATH/$(basename "$plugin")
  touch -d '-1 minute' "$module"
  LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst-scanner -f "$module" >"$work/scan.log" 2>&1 || true
fi
grep -q "Found Plugin" "$work/scan.log" || fail "Ardour's scanner did not accept $plugin (see $work/scan.log)"
# The session names the processor by the VST 2 unique id, or by the VST 3 class id of the scan.
unique_id=$plugin_id
if [ "$kind" = VST3 ]; then
  unique_id=$(sed -n "s/.*<VST3Info uid=\"\([0-9A-F]*\)\" name=\"$plugin_id\".*/\1/p" "$HOME"/.cache/ardour7/vst/*.v3i)
  [ -n "$unique_id" ] || fail "Ardour's VST 3 scan lists no class named $plugin_id (see $HOME/.cache/ardour7/vst)"
fi
readonly unique_id

session_dir=$work/session
session=$session_dir/$session_name.ardour
for try in 1 2 3; do
  rm -rf "$session_dir"
  SESSION_DIR=$session_dir SESSION_NAME=$session_name PLUGIN_ID=$plugin_id PLUGIN_TYPE=$kind \
    timeout 120 ardour7-lua "$here/ardour-gui/session.lua" >"$work/session.$try.log" 2>&1 || true
  grep -qx SAVED "$work/session.$try.log" && break
  [ "$try" = 3 ] && fail "Ardour could not build the session (see $work/session.3.log)"
done
ok "session with the plug-in on a stereo track"

# Ardour's OSC surface on a port of this run; it answers questions to the port they came from
# (or, should it keep to the session's reply port, to that one: the same).
read -r osc_port osc_reply_port < <(python3 -c 'import socket
ports = [socket.socket(socket.AF_INET, socket.SOCK_DGRAM) for _ in range(2)]
for p in ports: p.bind(("127.0.0.1", 0))
print(*(p.getsockname()[1] for p in ports))')
sed -i "s|<Protocol name=\"Open Sound Control (OSC)\" active=\"0\"/>|<Protocol name=\"Open Sound Control (OSC)\" active=\"1\" address-only=\"0\" remote-port=\"$osc_reply_port\"/>|" "$session"
grep -q 'Open Sound Control (OSC)" active="1"' "$session" || fail "the session has no OSC surface to turn on"
sed -i "s|<Config/>|<Config><Option name=\"osc-port\" value=\"$osc_port\"/></Config>|" "$HOME/.config/ardour7/config"

# --- One try in Ardour ----------------------------------------------------------------------

# Runs in a subshell of its own: the processes it starts end with it, and a JACK failure ends
# only it.
stop_processes() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
run_in_ardour() {
  trap stop_processes EXIT
  # --- X server, window manager, JACK and Ardour --------------------------------------------

  Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp -noreset 3>"$logs/display" >"$logs/xvfb.log" 2>&1 &
  pids+=($!)
  wait_for 10 test -s "$logs/display" || fail "Xvfb did not start (see $logs/xvfb.log)"
  DISPLAY=:$(head -n 1 "$logs/display")
  export DISPLAY
  xvfb_started=1
  openbox >"$logs/openbox.log" 2>&1 &
  pids+=($!)
  # Published once the window manager runs, which keeps its title bars (and so Ardour's screen
  # positions) as they are at 96 dots per inch; Ardour's own GTK does not read the resource.
  if [ "$scale" = 2 ]; then
    wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    wait_for 10 wm_running || fail "openbox did not start (see $logs/openbox.log)"
    echo "Xft.dpi: 192" | xrdb -nocpp -merge
  fi
  export JACK_DEFAULT_SERVER=vellumine-gui-$$-$try
  JACK_NO_AUDIO_RESERVATION=1 jackd -n "$JACK_DEFAULT_SERVER" -d dummy -r 44100 -p 1024 >"$logs/jackd.log" 2>&1 &
  jackd_pid=$!
  pids+=($!)
  wait_for 10 jack_lsp >/dev/null 2>&1 || fail "the dummy JACK server did not start (see $logs/jackd.log)"

  ardour -n -a "$session" >"$logs/ardour.log" 2>&1 &
  ardour_pid=$!
  pids+=($!)

  # The first visible window whose name matches, or nothing.
  window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
  title() { xdotool getwindowname "$main" 2>/dev/null; }
  main_window_shown() { main=$(window_named "^\\*?$session_name - Ardour\$") && [ -n "$main" ]; }
  wait_for 120 main_window_shown ||
    fail "Ardour's window did not appear; windows shown: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' ',')"
  ok "Ardour shows the session: \"$(title)\""

  # --- The editor ---------------------------------------------------------------------------

  # The editor's own window is titled "Window"; Ardour's plug-in window holds it.
  editor_shown() { editor=$(window_named '^Window$') && [ -n "$editor" ]; }
  open_editor() {
    local x y
    eval "$(xdotool getwindowgeometry --shell "$main")"
    x=$X y=$Y
    xdotool mousemove $((x + mix_button_x)) $((y + mix_button_y)) click 1
    sleep 2
    xdotool mousemove $((x + processor_x)) $((y + processor_y)) click --repeat 2 --delay 80 1
    wait_for 20 editor_shown || fail "the plug-in's editor did not open from the mixer strip"
    plugin_window=$(window_named "^Delay: ")
    editor_x=$(xwininfo -id "$editor" | sed -n 's/^ *Absolute upper-left X: *//p')
    editor_y=$(xwininfo -id "$editor" | sed -n 's/^ *Absolute upper-left Y: *//p')
  }

  # Compares the editor's pixels with a picture; retried while the editor may still be painting.
  expect_pixels() {
    local expected=$1 name=$2 differing=""
    for _ in 1 2 3 4 5 6 7 8 9 10; do
      sleep 0.5
      import -window "$editor" "$logs/$name.png"
      differing=$(compare -metric AE "$logs/$name.png" "$expected" null: 2>&1 || true)
      [ "$differing" = 0 ] && break
    done
    [ "$differing" = 0 ] || fail "$name: $differing pixels differ from $expected (capture in $logs/$name.png)"
    ok "$name: the editor's $(identify -format '%w x %h' "$logs/$name.png") pixels equal $(basename "$expected") (0 differ)"
  }

  open_editor
  ok "editor opened from the mixer strip: $(xdotool getwindowname "$plugin_window")"
  "$snapshot" "$logs/expected-open.png" --scale "$scale" >/dev/null
  expect_pixels "$logs/expected-open.png" editor-open

  # Ardour marks a modified session with a star before its name in the window's title.
  modified() { [[ "$(title)" == \** ]]; }
  unmodified() { ! modified; }
  # Saves with Ctrl+S and waits until the title has lost its modified mark.
  save() {
    xdotool windowactivate --sync "$main" key ctrl+s
    wait_for 20 unmodified || fail "saving did not clear the modified mark: \"$(title)\""
  }
  expect_modified() {
    wait_for 10 modified || fail "$1 did not mark the session modified: \"$(title)\""
    ok "$1 marked the session modified: \"$(title)\""
  }
  # Prints "ardour plugin" for one parameter of the saved session.
  saved_values() {
    python3 "$here/ardour-gui/session_values.py" "$session" "$unique_id" "$1" | sed 's/^[0-9]* ardour=\(.*\) plugin=\(.*\)$/\1 \2/'
  }
  # Whether Ardour's value $1 is the plug-in's normalized value $2 at full scale $3.
  agree() { python3 -c "import sys; a, p, s, t = map(float, sys.argv[1:]); sys.exit(abs(a - p * s) > t * s)" "$@" "$tolerance"; }

  xdotool mousemove $((editor_x + knob_x)) $((editor_y + knob_y)) mousedown 1
  sleep 0.3
  xdotool mousemove $((editor_x + (knob_x + drag_x) / 2)) $((editor_y + (knob_y + drag_y) / 2))
  sleep 0.3
  xdotool mousemove $((editor_x + drag_x)) $((editor_y + drag_y))
  sleep 0.3
  xdotool mouseup 1
  expect_modified "dragging the Feedback knob"
  save
  read -r feedback feedback_plugin < <(saved_values 12)
  if [ "$feedback" = 0 ] || ! agree "$feedback" "$feedback_plugin" "$feedback_scale"; then
    fail "saved Feedback: Ardour's value $feedback, the plug-in's $feedback_plugin"
  fi
  ok "saved Feedback (12): Ardour's value $feedback, the plug-in's $feedback_plugin"

  xdotool mousemove $((editor_x + rate_box_x)) $((editor_y + rate_box_y)) click 1
  sleep 0.5
  xdotool type --delay 50 2.5
  xdotool key Return
  expect_modified "typing 2.5 into the delay's Rate box"

  # Return has handed the keyboard focus back to the plug-in window, whose keys go to Ardour's
  # key bindings: Space starts the transport at once, and stops it again.
  speed() { python3 "$here/ardour-gui/transport_speed.py" "$osc_port" "$osc_reply_port"; }
  stopped() { [ "$(speed)" = 0.0 ]; }
  rolling() { local now; now=$(speed) && [ "$now" != 0.0 ]; }
  # The window X sends keys to, by id and name ("Window" is the editor's own, which takes none).
  focus_name() {
    local id
    id=$(xdotool getwindowfocus -f 2>/dev/null) || { echo "no window"; return; }
    echo "$id \"$(xdotool getwindowname "$id" 2>/dev/null)\""
  }
  wait_for 10 stopped || fail "Ardour's OSC surface on port $osc_port does not tell a stopped transport (it tells: $(speed || echo nothing))"
  xdotool key space
  wait_for 10 rolling || fail "Space after the typed value's Return did not start Ardour's transport; the keyboard focus is on window $(focus_name)"
  ok "after Return, Space started Ardour's transport: speed $(speed), the focus on window $(focus_name)"
  xdotool key space
  wait_for 10 stopped || fail "a second Space did not stop Ardour's transport"
  ok "a second Space stopped it: speed $(speed)"
  save
  read -r rate rate_plugin < <(saved_values 11)
  # Whether $1 is the typed 2.5 of 10000 at full scale $2.
  close_to_typed() { python3 -c "import sys; v, s = map(float, sys.argv[1:]); sys.exit(abs(v - 2.5 / 10000 * s) > 1e-9 * s)" "$@"; }
  if ! close_to_typed "$rate" "$rate_scale" || ! close_to_typed "$rate_plugin" 1; then
    fail "saved Rate: Ardour's value $rate, the plug-in's $rate_plugin, typed 2.5 of 10000 is 0.00025"
  fi
  ok "saved Rate (11): Ardour's value $rate, the plug-in's $rate_plugin (typed 2.5 of 10000)"

  import -frame -strip -window "$plugin_window" "$logs/editor-ardour.png"
  if [ -n "$shot" ]; then cp "$logs/editor-ardour.png" "$shot" && ok "picture of the plug-in window in $shot"; fi

  # Closing through the window manager, as a user closes the plug-in window.
  xdotool windowactivate --sync "$plugin_window" key alt+F4
  editor_gone() { ! editor_shown; }
  wait_for 10 editor_gone || fail "the editor's window stayed after closing the plug-in window"
  ok "editor closed"
  open_editor
  "$snapshot" "$logs/expected-reopened.png" --scale "$scale" --set "11=$rate_plugin" --set "12=$feedback_plugin" >/dev/null
  expect_pixels "$logs/expected-reopened.png" editor-reopened

  xdotool windowactivate --sync "$main" key ctrl+q
  main_window_gone() { ! main_window_shown; }
  wait_for 20 main_window_gone || fail "Ardour did not quit"
  ok "Ardour quit"
}

cp -r "$session_dir" "$work/session.built"
for try in 1 2 3; do
  rm -rf "$session_dir"
  cp -r "$work/session.built" "$session_dir"
  logs=$work/try$try
  mkdir -p "$logs"
  set +e
  (set -e; run_in_ardour)
  status=$?
  set -e
  [ "$status" = 0 ] && break
  if [ "$status" != "$jack_failed" ] || [ "$try" = 3 ]; then
    failed=1
    [ "$status" = "$jack_failed" ] && echo "FAIL: JACK failed in all three tries" >&2
    exit "$status"
  fi
  echo "retry: JACK failed in try $try; trying again"
done
echo "all steps passed"
