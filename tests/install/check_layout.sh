#!/usr/bin/env bash
# `cmake --install` of a build into empty prefixes, as a user or the Debian package does it:
# the plug-ins land where Linux hosts search, the documentation beside them, nothing lands
# anywhere else, and the installed plug-ins load from there.
#   check_layout.sh BUILD_DIR WORK_DIR PLUGHOST
set -euo pipefail
build=$1
work=$2
plughost=$3
failed=0
fail() { echo "install layout ($name): $*"; failed=1; }

# check NAME VST_DIR LV2_DIR CLAP_DIR VST3_DIR SHARE_DIR [cmake --install options]: installs
# into WORK_DIR/NAME and expects the module in VST_DIR, the bundle in LV2_DIR, the CLAP module
# in CLAP_DIR, the VST 3 bundle in VST3_DIR, and the documentation in SHARE_DIR/doc/vellumine
# (no documentation, and nothing in share/, when SHARE_DIR is "").
check() {
  name=$1
  local vst=$2 lv2=$3 clap=$4 vst3=$5 share=$6
  shift 6
  local prefix=$work/$name
  rm -rf "$prefix"
  cmake --install "$build" --prefix "$prefix" --strip "$@" >/dev/null

  local expected=("$vst/vellumine.so")
  [ -n "$share" ] && expected+=("$share/doc/vellumine/"{README.md,CHANGELOG.md,copyright,changelog.gz})
  [ -d "$build/vellumine.lv2" ] &&
    expected+=("$lv2/vellumine.lv2/"{manifest.ttl,vellumine.ttl,vellumine.so,vellumine_ui.so})
  [ -f "$build/vellumine.clap" ] && expected+=("$clap/vellumine.clap")
  [ -d "$build/vellumine.vst3" ] && expected+=("$vst3/vellumine.vst3/Contents/x86_64-linux/vellumine.so")
  for file in "${expected[@]}"; do
    [ -f "$prefix/$file" ] || fail "$file is missing"
  done
  # Our folders only: the plug-in folders, our documentation and shared data.
  while read -r file; do
    case "$file" in
      "$vst/vellumine.so" | "$lv2/vellumine.lv2/"* | "$clap/vellumine.clap" | "$vst3/vellumine.vst3/"*) ;;
      "$share/doc/vellumine/"* | "$share/vellumine/"*) [ -n "$share" ] || fail "$file is installed" ;;
      *) fail "$file is outside the plug-in's folders" ;;
    esac
  done < <(cd "$prefix" && find . -type f | sed 's|^\./||')

  # Outputs are read whole: grep -q would stop reading early and fail the pipeline.
  local info
  info=$("$plughost" info "$prefix/$vst/vellumine.so" || true)
  grep -q 'unique id *QvRk' <<<"$info" || fail "the installed VST 2 module does not load"
  if [ -f "$build/vellumine.clap" ]; then
    info=$("$plughost" info "$prefix/$clap/vellumine.clap" || true)
    grep -q 'id *quorvane.vellumine' <<<"$info" || fail "the installed CLAP module does not load"
  fi
  if [ -d "$build/vellumine.vst3" ]; then
    info=$("$plughost" info "$prefix/$vst3/vellumine.vst3" || true)
    grep -q 'Vellumine  \[Audio Module Class\]' <<<"$info" || fail "the installed VST 3 bundle does not load"
  fi
  if [ -d "$build/vellumine.lv2" ] && command -v lv2ls >/dev/null; then
    info=$(LV2_PATH="$prefix/$lv2" lv2ls 2>/dev/null || true)
    grep -qx 'urn:quorvane:vellumine' <<<"$info" || fail "lv2ls does not find the installed LV2 plug-in"
  fi
}

check system lib/vst lib/lv2 lib/clap lib/vst3 share
check user .vst .lv2 .clap .vst3 "" --component user
[ "$failed" -eq 0 ] && echo "install layout: ok"
exit "$failed"
