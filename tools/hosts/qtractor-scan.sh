#!/usr/bin/env bash
# Shows that a third-party host finds the plug-in as we mean it: qtractor's plug-in scanner
# must report 2 audio inputs, 2 audio outputs, 4112 parameters and the unique id QvRk
# (0x5176526b: Q 0x51, v 0x76, R 0x52, k 0x6b). Usage: tools/hosts/qtractor-scan.sh [PLUGIN]
set -euo pipefail
cd "$(dirname "$0")/../.."
plugin=$(realpath "${1:-build/vellumine.so}")
scanner=/usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan
if [ ! -x "$scanner" ]; then
  echo "qtractor-scan: $scanner is missing (Debian package qtractor)" >&2
  exit 1
fi
# The scanner answers one line per plug-in and exits 0 even when it cannot load the file.
line=$(echo "VST2:$plugin" | timeout 60 "$scanner" 2>/dev/null | grep '^VST|' || true)
echo "qtractor scan: ${line:-(nothing)}"
IFS='|' read -r kind name audio midi params flags path index id <<<"$line"
failed=0
expect() {
  if [ "$2" != "$3" ]; then
    echo "qtractor-scan: FAILED: $1 is '$2', expected '$3'" >&2
    failed=1
  fi
}
expect "kind" "${kind:-}" VST
expect "audio inputs:outputs" "${audio:-}" 2:2
expect "parameters" "${params:-}" 4112:0
expect "unique id" "${id:-}" 0x5176526b
[ "$failed" -eq 0 ] || exit 1
echo "qtractor scan: 2:2 audio, 4112 parameters, id QvRk: ok"
