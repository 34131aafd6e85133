#!/usr/bin/env bash
# Installs what is missing, builds the VST 2 module and the host tool (nothing else: the tests
# are scripts/test.sh's), renders the built-in phrase through the plug-in with a demonstration
# setting (scripts/demo-setting.txt) into demo/out.wav and demo/out.png, shows the plug-in as
# a host sees it and says how long all that took.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)" --target vellumine plughost
mkdir -p demo
build/plughost render build/vellumine.so -o demo/out.wav --plot demo/out.png \
  --automate scripts/demo-setting.txt
echo
build/plughost info build/vellumine.so
echo
echo "demo: installed, built and played in $SECONDS s"
