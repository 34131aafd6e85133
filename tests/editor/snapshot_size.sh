#!/usr/bin/env bash
# snapshot_size.sh SNAPSHOT OUT.png SCALE WIDTH HEIGHT
# The snapshot tool's picture at a scale has the window's size at that scale: the width and
# height in the PNG's header.
set -euo pipefail
snapshot=$1 out=$2 scale=$3 width=$4 height=$5
"$snapshot" "$out" --scale "$scale"
read -r w h < <(od -An -tu1 -j16 -N8 "$out" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
if [ "$w" != "$width" ] || [ "$h" != "$height" ]; then
  echo "the snapshot at scale $scale is $w x $h, not $width x $height"
  exit 1
fi
echo "ok: the snapshot at scale $scale is $w x $h"
