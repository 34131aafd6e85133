#!/usr/bin/env bash
# Reads every #include under src/ and fails on one that crosses the layers: the core knows no
# format, the platform seam only itself, the toolkit the seam, the editor the toolkit and the
# core, and each format's declarations stay in their own door.
# Usage: check_layers.sh <src directory>
set -euo pipefail
src=${1:?usage: check_layers.sh <src directory>}

# folder: the project folders its files may include from
declare -A allowed=(
  [core]="core"
  [engine]="core engine"
  [presets]="core presets"
  [platform]="platform"
  [gui]="gui platform"
  [editor]="editor gui platform core"
  [lv2]="lv2 editor gui platform core engine presets"
  [vst2]="vst2 editor gui platform core engine"
  [clap]="clap editor gui platform core engine"
  [vst3]="vst3 editor gui platform core engine presets"
)
# system headers that belong to one door only
declare -A door_headers=([lv2]="lv2/" [clap]="clap/" [vst3]="travesty/")

failures=0
for folder in "$src"/*/; do
  layer=$(basename "$folder")
  if [ -z "${allowed[$layer]+set}" ]; then
    echo "src/$layer: a folder the layer rules do not know; add it to $0"
    failures=$((failures + 1))
    continue
  fi
  while IFS=: read -r file line include; do
    target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]([^">]*)[">].*/\1/' <<<"$include")
    top=${target%%/*}
    if [[ $include == *'"'* ]]; then
      # A project header: its folder must be one this layer may use.
      [ "$top" = "$target" ] && continue  # same-folder include without a path
      if [[ " ${allowed[$layer]} " != *" $top "* ]]; then
        echo "${file#"$src"/}:$line: src/$layer may not include $target"
        failures=$((failures + 1))
      fi
    else
      for door in "${!door_headers[@]}"; do
        if [[ $target == ${door_headers[$door]}* && $layer != "$door" ]]; then
          echo "${file#"$src"/}:$line: only src/$door may include <$target>"
          failures=$((failures + 1))
        fi
      done
    fi
  done < <(grep -rn -E '^[[:space:]]*#[[:space:]]*include' "$folder" --include='*.h' --include='*.cpp' || true)
done

if [ "$failures" -ne 0 ]; then
  echo "$failures include(s) cross the layers"
  exit 1
fi
echo "every include under $src keeps to its layer"
