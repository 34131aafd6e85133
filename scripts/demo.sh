#!/usr/bin/env bash
# Installs what is missing, builds the plug-in and the host tool, renders the built-in phrase
# through the plug-in with a demonstration setting into demo/out.wav and demo/out.png, and
# shows the plug-in as a host sees it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
mkdir -p demo
# Delay path at unity (Delay Output Mix 0.5), a delay of 375 ms (0.0375 of the ten-second
# line), feedback 0.5, and the delay path's filter (parameters 13 and 14) a band-pass at
# 1600 Hz (0.2 of 8000 Hz).
build/plughost render build/vellumine.so -o demo/out.wav --plot demo/out.png \
  --set "Delay Output Mix=0.5" --set "Delay Amount=0.0375" --set Feedback=0.5 \
  --set 13=0.667 --set 14=0.2
echo
build/plughost info build/vellumine.so
