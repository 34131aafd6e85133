#!/usr/bin/env bash
# Shows that a third-party host finds the CLAP plug-in as we mean it: qtractor's plug-in
# scanner must report the name Vellumine, 2 audio inputs, 2 audio outputs, the editor and as
# many parameters as plughost lists.
# Usage: tools/hosts/qtractor-scan-clap.sh [PLUGIN.clap [PLUGHOST]]
set -euo pipefail
cd "$(dirname "$0")/../.."
plugin=$(realpath "${1:-build/vellumine.clap}")
plughost=${2:-build/plughost}
scanner=/usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan
if [ ! -x "$scanner" ]; then
  echo "qtractor-scan-clap: $scanner is missing (Debian package qtractor)" >&2
  exit 1
fi
# The scanner answers one line per plug-in and exits 0 even when it cannot load the file.
line=$(echo "CLAP:$plugin" | timeout 60 "$scanner" 2>/dev/null | grep '^CLAP|' || true)
echo "qtractor scan: ${line:-(nothing)}"
IFS='|' read -r kind name audio _ params flags _ <<<"$line"
count=$("$plughost" info "$plugin" | sed -n 's/^Parameters (\([0-9]*\))$/\1/p')
failed=0
expect() {
  if [ "$2" != "$3" ]; then
    echo "qtractor-scan-clap: FAILED: $1 is '$2', expected '$3'" >&2
    failed=1
  fi
}
expect "kind" "${kind:-}" CLAP
expect "name" "${name:-}" Vellumine
expect "audio inputs:outputs" "${audio:-}" 2:2
expect "parameters" "${params:-}" "$count:0"
[[ ${flags:-} == *GUI* ]] || expect "flags" "${flags:-}" "GUI,..."
[ "$failed" -eq 0 ] || exit 1
echo "qtractor scan: 2:2 audio, $count parameters, an editor: ok"
